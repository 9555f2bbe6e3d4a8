#pragma once
// The whole text of a source file held in memory, read by the lexer from
// `StartPos` on. The bytes are kept in a buffer of exactly the text's size,
// so a read past the text is a real overrun that the sanitizers see.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvel::ddl {

// A file that cannot be opened or read (or a target that cannot be written).
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMyStream {
public:
    TMyStream() = default;
    TMyStream(const TMyStream&) = delete;
    TMyStream& operator=(const TMyStream&) = delete;

    // Replaces the contents by the whole file; throws FileError when the
    // file cannot be opened or read.
    void LoadFromFile(const std::string& fileName);
    void LoadFromMemory(const void* data, size_t size);
    void LoadFromString(std::string_view text) { LoadFromMemory(text.data(), text.size()); }

    const unsigned char* Memory() const { return data_.get(); }
    size_t Size() const { return size_; }

    // Byte position at which a lexer starts reading.
    size_t StartPos = 0;

private:
    std::unique_ptr<unsigned char[]> data_;
    size_t size_ = 0;
};

}  // namespace quorvel::ddl
