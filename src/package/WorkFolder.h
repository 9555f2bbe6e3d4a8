#pragma once
// The private temporary folder of one send or receive (0700), removed with
// everything in it when the run ends; and the lock that keeps two runs out
// of one folder.
#include <string>

namespace quorvel::package {

class WorkFolder {
public:
    WorkFolder();  // throws std::runtime_error
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    std::string path(const std::string& file) const { return dir_ + "/" + file; }

private:
    std::string dir_;
};

// Holds ".quorvel.lock" in `dir` (flock, released when the process ends,
// however it ends). `held()` false: another run holds it.
class FolderLock {
public:
    explicit FolderLock(const std::string& dir);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace quorvel::package
