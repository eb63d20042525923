// For tests only: the file layer fails a chosen call, or ends the process there, so that a
// test can run an update through every I/O fault and every crash point. Programs never
// call these; without a fault set, calls are not even counted.
#pragma once

#include <cstdint>

namespace wce::test {

enum FileCallKind : unsigned {
    kFileCreate = 1u << 0,  // CreateFileW (any disposition), CreateDirectoryW, the registry's temporary file
    kFileWrite = 1u << 1,   // WriteFile, the registry's write
    kFileFlush = 1u << 2,   // FlushFileBuffers, the registry's flush
    kFileDelete = 1u << 3,  // DeleteFileW, RemoveDirectoryW
    kFileRename = 1u << 4,  // MoveFileW, the registry's rename
    kFileAnyCall = (1u << 5) - 1,
};

struct FileFault {
    unsigned kinds = 0;          // the calls counted
    std::uint64_t at = 0;        // the counted call (from 1) that fails; 0 only counts
    int hostError = 0;           // its errno (ENOSPC, EIO, ...); 0 ends the process there instead
    int exitStatus = 86;         // the status of that end; a write ending it writes half first
};

// Sets the fault and starts counting from zero.
void SetFileFault(const FileFault& fault);
void ClearFileFault();
// Calls of the fault's kinds since it was set.
std::uint64_t CountedFileCalls();

}  // namespace wce::test
