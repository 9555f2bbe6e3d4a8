#include "ddl/TargetFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "ddl/FileKinds.h"
#include "ddl/MStream.h"

namespace quorvel::ddl {

namespace fs = std::filesystem;

namespace {

std::string refusal(const std::string& fileName, const std::string& why) {
    return "Cannot write file \"" + fileName + "\". " + why + " Nothing was written.";
}

std::string writeFailure(const std::string& fileName, int error, bool existed) {
    return "Cannot write file \"" + fileName + "\". " + std::strerror(error) +
           (existed ? ". The previous file is left as it was." : ".");
}

// The name the new text ends up under: the file itself, or the file a link
// points to (renaming over the link would replace the link by a file).
std::string finalName(const std::string& fileName) {
    struct stat link {};
    if (::lstat(fileName.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return fileName;
    std::error_code ec;
    fs::path resolved = fs::canonical(fileName, ec);
    if (ec) throw FileError(refusal(fileName, "It is a link to a missing file."));
    return resolved.string();
}

// A fresh file in the folder of `name`, created exclusively so that nothing
// already there is ever opened; its name goes into `tempName`.
int createBeside(const std::string& name, std::string& tempName) {
    fs::path path(name);
    fs::path folder = path.parent_path();
    const std::string stem = "." + path.filename().string() + ".new-" + std::to_string(::getpid());
    for (int attempt = 0;; ++attempt) {
        tempName = (folder / (stem + (attempt ? "-" + std::to_string(attempt) : ""))).string();
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST || attempt == 100) return fd;
    }
}

// Writes, flushes to disk and closes; false with errno set on the first failure.
bool writeAndClose(int fd, std::string_view text) {
    bool ok = true;
    size_t done = 0;
    while (ok && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            ok = false;
        } else {
            done += static_cast<size_t>(n);
        }
    }
    // A full disk may show only here, when the data reaches it.
    if (ok && ::fsync(fd) != 0) ok = false;
    int error = errno;
    if (::close(fd) != 0 && ok) return false;
    errno = error;
    return ok;
}

}  // namespace

void CheckTargetFile(const std::string& fileName) {
    if (fileName.empty()) throw FileError(refusal(fileName, "No file name was given."));
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            throw FileError(refusal(fileName, "It is " + DescribeFileKind(st.st_mode) + ", not a regular file."));
        return;
    }
    if (errno != ENOENT) throw FileError(refusal(fileName, std::strerror(errno) + std::string(".")));
    struct stat link {};
    if (::lstat(fileName.c_str(), &link) == 0)
        throw FileError(refusal(fileName, "It is a link to a missing file."));
}

void WriteWholeFile(const std::string& fileName, std::string_view text) {
    CheckTargetFile(fileName);
    const std::string name = finalName(fileName);
    struct stat previous {};
    const bool existed = ::stat(name.c_str(), &previous) == 0;

    std::string tempName;
    int fd = createBeside(name, tempName);
    if (fd < 0) throw FileError(writeFailure(fileName, errno, existed));
    auto fail = [&](int error) {
        ::unlink(tempName.c_str());
        return FileError(writeFailure(fileName, error, existed));
    };
    // The replacement keeps the permissions of the file it replaces.
    if (existed && ::fchmod(fd, previous.st_mode & 07777) != 0) {
        int error = errno;
        ::close(fd);
        throw fail(error);
    }
    if (!writeAndClose(fd, text) || ::rename(tempName.c_str(), name.c_str()) != 0) throw fail(errno);
}

}  // namespace quorvel::ddl
