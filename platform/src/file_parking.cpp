// Descriptors of files closed after reading, kept for the next open of the same file: a
// resource archive is opened again for every entry read from it, and opening and closing
// cost more than reading a small entry. One is handed out again only while its path still
// names the same file; anything deleted or renamed through the platform closes them all, so
// a deleted file's space goes at once, as on the device.
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "device_path.h"
#include "files_internal.h"

namespace {

struct ParkedFile {
    std::string hostPath;
    dev_t device;
    ino_t inode;
    int fd;
};

struct ParkedFiles {
    std::mutex lock;
    std::vector<ParkedFile> files;  // oldest first
};

constexpr size_t kMaxParkedFiles = 4;

// Never destroyed: a file still open at exit is closed (parked) by the handle table's
// destructor, which may run after this one would have.
ParkedFiles& GetParkedFiles()
{
    static ParkedFiles* parked = new ParkedFiles;
    return *parked;
}

}  // namespace

namespace wce::detail {

void ParkFile(const std::string& hostPath, dev_t device, ino_t inode, int fd)
{
    int evicted = -1;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        try {
            if (parked.files.size() == kMaxParkedFiles) {
                evicted = parked.files.front().fd;
                parked.files.erase(parked.files.begin());
            }
            parked.files.push_back(ParkedFile{hostPath, device, inode, fd});
            fd = -1;
        } catch (const std::bad_alloc&) {
        }
    }
    if (evicted >= 0) close(evicted);
    if (fd >= 0) close(fd);
}

// A parked descriptor of the file st describes (just seen at hostPath), or -1. The others
// parked for the path belong to files that are gone from it: they are closed.
int TakeParkedFile(const std::string& hostPath, const struct stat& st)
{
    int found = -1;
    std::vector<int> stale;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        for (auto it = parked.files.begin(); it != parked.files.end();) {
            if (it->hostPath != hostPath) {
                ++it;
                continue;
            }
            if (found < 0 && it->device == st.st_dev && it->inode == st.st_ino)
                found = it->fd;
            else
                stale.push_back(it->fd);
            it = parked.files.erase(it);
        }
    }
    for (int fd : stale) close(fd);
    return found;
}

void CloseParkedFiles()
{
    std::vector<ParkedFile> files;
    {
        ParkedFiles& parked = GetParkedFiles();
        std::lock_guard<std::mutex> guard(parked.lock);
        files.swap(parked.files);
    }
    for (const ParkedFile& file : files) close(file.fd);
}

}  // namespace wce::detail
