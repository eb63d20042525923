// Where the file layer asks the test-only fault hook (wce/file_faults.h) about a call.
#pragma once

#include "wce/file_faults.h"

namespace wce::detail {

constexpr int kFaultEndsProcess = -1;

// 0: the call goes on. An errno: the call fails with it. kFaultEndsProcess: the caller may
// do part of its work (a write writes half), then calls EndProcessForFault.
int CheckFileFault(unsigned kind);
[[noreturn]] void EndProcessForFault();

// For calls with nothing to do halfway.
inline int FileFault(unsigned kind)
{
    const int result = CheckFileFault(kind);
    if (result == kFaultEndsProcess) EndProcessForFault();
    return result;
}

}  // namespace wce::detail
