#include "package/WorkFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace quorvel::package {

WorkFolder::WorkFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-package-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("No temporary folder could be made in " + pattern + ".");
    dir_ = buf.data();
}

WorkFolder::~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

FolderLock::FolderLock(const std::string& dir) {
    fd_ = ::open((dir + "/.quorvel.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace quorvel::package
