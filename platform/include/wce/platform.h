// The device platform, as device code sees it.
#pragma once

#include "cstring.h"
#include "files.h"
#include "format.h"
#include "gdi.h"
#include "process.h"
#include "registry.h"
#include "timesync.h"
#include "types.h"
#include "wstring.h"
