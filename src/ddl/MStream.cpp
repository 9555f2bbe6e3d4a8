#include "ddl/MStream.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorvel::ddl {

namespace {

std::string openFailure(const std::string& fileName, int error) {
    return "Cannot open file \"" + fileName + "\". " + std::strerror(error);
}

}  // namespace

void TMyStream::LoadFromFile(const std::string& fileName) {
    if (fileName.empty()) throw FileError(openFailure(fileName, ENOENT));
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) throw FileError(openFailure(fileName, errno));
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{f};

    // A folder opens fine here but has no text to read.
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0) throw FileError(openFailure(fileName, errno));
    if (!S_ISREG(st.st_mode)) throw FileError(openFailure(fileName, S_ISDIR(st.st_mode) ? EISDIR : EINVAL));

    auto size = static_cast<size_t>(st.st_size);
    std::unique_ptr<unsigned char[]> data(new unsigned char[size]);
    size_t got = size > 0 ? std::fread(data.get(), 1, size, f) : 0;
    if (got != size || std::ferror(f))
        throw FileError("Cannot read file \"" + fileName + "\". " + std::strerror(errno ? errno : EIO));
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
