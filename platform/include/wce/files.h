// Files and directories with device paths ("\\SDMMC\\gpsApp.msk"), mapped below the
// device root on the host. Failures set the last error (GetLastError).
#pragma once

#include "types.h"

enum : DWORD {
    GENERIC_READ = 0x80000000u,
    GENERIC_WRITE = 0x40000000u,
    FILE_SHARE_READ = 0x1,
    FILE_SHARE_WRITE = 0x2,
    CREATE_NEW = 1,
    CREATE_ALWAYS = 2,
    OPEN_EXISTING = 3,
    OPEN_ALWAYS = 4,
    TRUNCATE_EXISTING = 5,
    FILE_ATTRIBUTE_READONLY = 0x1,
    FILE_ATTRIBUTE_HIDDEN = 0x2,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
    // Creation flags. The device has no links; on the host a symbolic link as the last name
    // is not followed with OPEN_REPARSE_POINT: the open fails with ERROR_CANT_RESOLVE_FILENAME.
    // BACKUP_SEMANTICS opens an existing folder (to read, OPEN_EXISTING) for the queries below.
    FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000,
    FILE_FLAG_BACKUP_SEMANTICS = 0x02000000,
    ERROR_CANT_RESOLVE_FILENAME = 1921,
    INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu,
    INVALID_FILE_SIZE = 0xFFFFFFFFu,
    INVALID_SET_FILE_POINTER = 0xFFFFFFFFu,
    FILE_BEGIN = 0,
    FILE_CURRENT = 1,
    FILE_END = 2,
};

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[MAX_PATH];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// What an open file or folder is: the volume and file index together name one object of
// the device (two paths to one object give the same pair); nNumberOfLinks counts its names.
struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
    DWORD dwOID;
};
using LPBY_HANDLE_FILE_INFORMATION = BY_HANDLE_FILE_INFORMATION*;

// A second open of a file conflicts with an earlier one when either denies the other's
// access through its share mode; it then fails with ERROR_SHARING_VIOLATION (32).
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
// A write that runs out of space writes what fits and fails with ERROR_DISK_FULL (112).
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
// The device path of the open file or folder as its object is really reached ("\\a\\b"),
// links on the host resolved; flags must be 0. Returns the length without the terminator,
// or the size needed (terminator included) when the buffer is too small, or 0 on failure.
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags);

DWORD GetFileAttributesW(LPCWSTR path);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL DeleteFileW(LPCWSTR path);
BOOL MoveFileW(LPCWSTR existingPath, LPCWSTR newPath);
BOOL CopyFileW(LPCWSTR existingPath, LPCWSTR newPath, BOOL failIfExists);

// The pattern's last component may hold "*" and "?" ("\\dir\\*.*" lists everything in dir,
// "." and ".." excluded).
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE find);

DWORD GetLastError();
void SetLastError(DWORD error);
