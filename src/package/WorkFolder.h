#pragma once
// The private temporary folder of one send or receive (0700), removed with
// everything in it when the run ends; and the lock that keeps two runs out
// of one folder. A run killed before it could remove its folder leaves it
// behind: the next run removes every such folder no living run holds.
#include <optional>
#include <string>

#include "package/Operations.h"

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
    int alive_ = -1;  // held (flock) while the run lives
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

// Throws "Another run is sending or receiving in DIR ..." (a try-again-later
// failure) when `lock` was taken and another run holds it; `nothingDone`
// ends the message. No lock: the caller holds the folder's already.
void refuseIfHeldElsewhere(const std::optional<FolderLock>& lock, const std::string& dir,
                           const std::string& nothingDone);

// Send and receive for a run that holds the folders' locks already (an
// exchange); SendPackage and ReceivePackages take them.
Outcome sendPackage(engine::Database& local, const std::string& dir, Reporter& reporter, SendReport* report,
                    bool takeLock);
Outcome receivePackages(engine::Database& local, const std::string& dir, Reporter& reporter, ReceiveReport* report,
                        bool takeLock);

// Files a send killed midway left in `dir` (".quorvel-*.qvp.partial"):
// removed by a run that holds the folder's lock.
void removeLeftovers(const std::string& dir);

}  // namespace quorvel::package
