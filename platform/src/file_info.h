// Open folders and what an open file or folder is (file_open.cpp opens both).
#pragma once

#include <sys/stat.h>

#include <string>

#include "wce/files.h"

namespace wce::detail {

// Takes the descriptor of an open folder; the handle serves the object queries only.
HANDLE AddFolderHandle(int fd, const std::string& hostPath);
// The status and host path of an open file (files.cpp); false for another handle.
bool OpenFileStatus(HANDLE handle, struct stat& st, std::string& hostPath);
// What GetFileInformationByHandle reports of a host status (files.cpp, beside the listing's
// attributes and times).
void DescribeObject(const struct stat& st, BY_HANDLE_FILE_INFORMATION& info);

}  // namespace wce::detail
