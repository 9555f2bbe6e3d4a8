#include "package/WorkFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "engine/Error.h"

namespace quorvel::package {

namespace {

const char* const kPrefix = "quorvel-package-";

// The folders of runs that ended without removing theirs: their ".alive" is
// no longer held. A folder without one is not ours to judge.
void removeAbandoned(const std::filesystem::path& tmp) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(tmp, ec)) {
        if (e.path().filename().string().rfind(kPrefix, 0) != 0) continue;
        const int fd = ::open((e.path() / ".alive").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        const bool abandoned = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        if (abandoned) std::filesystem::remove_all(e.path(), ec);
    }
}

}  // namespace

WorkFolder::WorkFolder() {
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    removeAbandoned(tmp);
    std::string pattern = (tmp / (std::string(kPrefix) + "XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("No temporary folder could be made in " + pattern + ".");
    dir_ = buf.data();
    // Locked before it takes its name: no other run ever finds it unheld.
    alive_ = ::open((dir_ + "/.alive.new").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (alive_ >= 0 && ::flock(alive_, LOCK_EX) == 0) ::rename((dir_ + "/.alive.new").c_str(), (dir_ + "/.alive").c_str());
}

WorkFolder::~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    if (alive_ >= 0) ::close(alive_);
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

void refuseIfHeldElsewhere(const std::optional<FolderLock>& lock, const std::string& dir,
                           const std::string& nothingDone) {
    if (lock && !lock->held())
        throw engine::DbError("Another run is sending or receiving in " + dir + ": try again when it has ended. " +
                                  nothingDone,
                              0, 0, engine::Failure::FileInUse);
}

void removeLeftovers(const std::string& dir) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        const std::string tail = ".qvp.partial";
        if (name.rfind(".quorvel-", 0) == 0 && name.size() > tail.size() &&
            name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
            std::filesystem::remove(e.path(), ec);
    }
}

}  // namespace quorvel::package
