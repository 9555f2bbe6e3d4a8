#pragma once
// The sealed file of a package: the set's identity in clear, then a stream
// of records encrypted and authenticated with the set's key
// (crypto_secretstream_xchacha20poly1305 of libsodium): the header text, the
// content compressed with zstd in records of at most 1 MiB, and a closing
// record with the content's size and BLAKE2b digest.
//
//   offset  size  field
//   0       8     magic "QVPKG\r\n\x1a"
//   8       2     format version, little-endian (1)
//   10      36    set identity (ASCII; blanks when not known)
//   46      24    secretstream header
//   70      ...   records: 4-byte little-endian length, then that many bytes
//                 of ciphertext (the plain record and 17 bytes of tag and MAC)
//
// The first record (the header text) authenticates the 70 clear bytes as its
// additional data; the last bears the FINAL tag, so a file cut short is
// told from a whole one. Nothing of the key is in the file.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "replica/SetKey.h"

namespace quorvel::package {

constexpr int kPackageFormat = 1;

// A file that is no sound package of this set, with the reason.
class BadPackage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `outPath` (created 0600, never through a link; replaced when it
// exists) from `headerText` and the file `contentPath`. Throws
// std::runtime_error when a file cannot be read or written.
void seal(const replica::KeyBytes& key, const std::string& setId, const std::string& headerText,
          const std::string& contentPath, const std::string& outPath);

// The set identity and format written in clear at the start of `path`.
// Throws BadPackage for a file that is no package.
struct ClearPart {
    int format = 0;
    std::string setId;
};
ClearPart readClearPart(const std::string& path);

// Checks the whole of `path` with `key` and writes its content to
// `contentPath` (0600); returns the header text. Throws BadPackage naming
// what is wrong (another key or a changed byte, cut short, bytes after the
// end, a content that does not match its digest).
std::string unseal(const replica::KeyBytes& key, const std::string& path, const std::string& contentPath);

}  // namespace quorvel::package
