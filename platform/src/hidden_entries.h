// The delete's part for what a listing hides: names the device cannot spell and links
// that dangle or leave the device. They are removed as what they are, by their host names
// and through calls relative to their folder, so nothing outside the folder is touched.
#pragma once

#include <string>

#include "wce/types.h"

namespace wce::detail {

// Removes the hidden entries of deviceFolder that the pattern's last component matches (a
// name without spelling is matched as it reads). Returns the first failure, else
// ERROR_SUCCESS; a folder that cannot be opened has nothing to remove.
DWORD RemoveHiddenEntries(const std::u16string& deviceFolder, const std::u16string& pattern);

}  // namespace wce::detail
