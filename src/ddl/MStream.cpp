#include "ddl/MStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ddl/FileKinds.h"

namespace quorvel::ddl {

namespace {

std::string openFailure(const std::string& fileName, int error) {
    return "Cannot open file \"" + fileName + "\". " + std::strerror(error);
}

std::string notRegular(const std::string& fileName, mode_t mode) {
    return "Cannot open file \"" + fileName + "\". It is " + DescribeFileKind(mode) +
           ", not a regular file.";
}

}  // namespace

void TMyStream::LoadFromFile(const std::string& fileName) {
    if (fileName.empty()) throw FileError(openFailure(fileName, ENOENT));
    // Looked at before opening: opening a named pipe for reading would wait
    // for a writer that never comes, and a device may never end.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) throw FileError(openFailure(fileName, errno));
    if (!S_ISREG(st.st_mode)) throw FileError(notRegular(fileName, st.st_mode));

    // Non-blocking, in case the name was replaced by a pipe in between; the
    // descriptor is then asked again.
    int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError(openFailure(fileName, errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0) throw FileError(openFailure(fileName, errno));
    if (!S_ISREG(st.st_mode)) throw FileError(notRegular(fileName, st.st_mode));

    auto size = static_cast<size_t>(st.st_size);
    std::unique_ptr<unsigned char[]> data(new unsigned char[size]);
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, data.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int error = n < 0 ? errno : EIO;  // shorter than it said it was
            throw FileError("Cannot read file \"" + fileName + "\". " + std::strerror(error));
        }
        got += static_cast<size_t>(n);
    }
    data_ = std::move(data);
    size_ = size;
}

void TMyStream::LoadFromMemory(const void* data, size_t size) {
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size]);
    if (size > 0) std::memcpy(copy.get(), data, size);
    data_ = std::move(copy);
    size_ = size;
}

}  // namespace quorvel::ddl
