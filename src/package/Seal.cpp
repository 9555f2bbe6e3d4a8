#include "package/Seal.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>
#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "db/PrivateFile.h"

namespace quorvel::package {

namespace {

using Stream = crypto_secretstream_xchacha20poly1305_state;
constexpr size_t kHeaderBytes = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr size_t kABytes = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr size_t kClearBytes = 8 + 2 + 36 + kHeaderBytes;
constexpr size_t kMaxRecord = 1 << 20;
constexpr char kMagic[8] = {'Q', 'V', 'P', 'K', 'G', '\r', '\n', '\x1a'};
constexpr int kLevel = 6;

void needSodium() {
    if (sodium_init() < 0) throw std::runtime_error("The cryptography library could not start.");
}

std::string digestHex(const unsigned char* d, size_t n) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += hex[d[i] >> 4];
        out += hex[d[i] & 15];
    }
    return out;
}

struct ZCctx {
    ZSTD_CCtx* p = ZSTD_createCCtx();
    ~ZCctx() { ZSTD_freeCCtx(p); }
};
struct ZDctx {
    ZSTD_DCtx* p = ZSTD_createDCtx();
    ~ZDctx() { ZSTD_freeDCtx(p); }
};

class Writer {
public:
    Writer(const std::string& path, Stream& st) : path_(path), st_(st) {
        if (!writePrivateFile(path, "")) throw std::runtime_error("Cannot write " + path + ".");
        out_.open(path, std::ios::binary | std::ios::trunc);
        if (!out_) throw std::runtime_error("Cannot write " + path + ".");
    }
    void raw(const void* data, size_t n) { out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(n)); }
    void record(const std::string& plain, unsigned char tag, const unsigned char* ad = nullptr, size_t adlen = 0) {
        std::vector<unsigned char> c(plain.size() + kABytes);
        unsigned long long clen = 0;
        crypto_secretstream_xchacha20poly1305_push(&st_, c.data(), &clen,
                                                   reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                                                   ad, adlen, tag);
        const uint32_t len = static_cast<uint32_t>(clen);
        const unsigned char lenBytes[4] = {static_cast<unsigned char>(len), static_cast<unsigned char>(len >> 8),
                                           static_cast<unsigned char>(len >> 16), static_cast<unsigned char>(len >> 24)};
        raw(lenBytes, 4);
        raw(c.data(), clen);
    }
    void close() {
        out_.flush();
        if (!out_) throw std::runtime_error("Cannot write " + path_ + " (disk full?).");
        out_.close();
        // On the disk before it is given its name.
        const int fd = ::open(path_.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

private:
    std::string path_;
    Stream& st_;
    std::ofstream out_;
};

}  // namespace

void seal(const replica::KeyBytes& key, const std::string& setId, const std::string& headerText,
          const std::string& contentPath, const std::string& outPath) {
    needSodium();
    std::ifstream in(contentPath, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read " + contentPath + ".");
    Stream st;
    unsigned char streamHeader[kHeaderBytes];
    crypto_secretstream_xchacha20poly1305_init_push(&st, streamHeader, key.data());
    std::string clear(kMagic, sizeof kMagic);
    clear += static_cast<char>(kPackageFormat & 0xff);
    clear += static_cast<char>(kPackageFormat >> 8);
    std::string id = setId.substr(0, 36);
    id.resize(36, ' ');
    clear += id;
    clear.append(reinterpret_cast<const char*>(streamHeader), kHeaderBytes);

    Writer w(outPath, st);
    w.raw(clear.data(), clear.size());
    w.record(headerText, crypto_secretstream_xchacha20poly1305_TAG_MESSAGE,
             reinterpret_cast<const unsigned char*>(clear.data()), clear.size());

    ZCctx z;
    ZSTD_CCtx_setParameter(z.p, ZSTD_c_compressionLevel, kLevel);
    crypto_generichash_state hash;
    crypto_generichash_init(&hash, nullptr, 0, crypto_generichash_BYTES);
    std::vector<char> inBuf(ZSTD_CStreamInSize());
    std::vector<char> outBuf(ZSTD_CStreamOutSize());
    std::string pending;
    uint64_t contentBytes = 0;
    bool last = false;
    while (!last) {
        in.read(inBuf.data(), static_cast<std::streamsize>(inBuf.size()));
        const size_t got = static_cast<size_t>(in.gcount());
        if (in.bad()) throw std::runtime_error("Cannot read " + contentPath + ".");
        last = got < inBuf.size();
        contentBytes += got;
        crypto_generichash_update(&hash, reinterpret_cast<const unsigned char*>(inBuf.data()), got);
        ZSTD_inBuffer zin{inBuf.data(), got, 0};
        const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
        for (;;) {
            ZSTD_outBuffer zout{outBuf.data(), outBuf.size(), 0};
            const size_t left = ZSTD_compressStream2(z.p, &zout, &zin, mode);
            if (ZSTD_isError(left)) throw std::runtime_error(std::string("zstd: ") + ZSTD_getErrorName(left));
            pending.append(outBuf.data(), zout.pos);
            while (pending.size() >= kMaxRecord) {
                w.record(pending.substr(0, kMaxRecord), crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
                pending.erase(0, kMaxRecord);
            }
            if (last ? left == 0 : zin.pos == zin.size) break;
        }
    }
    if (!pending.empty()) w.record(pending, crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash_final(&hash, digest, sizeof digest);
    w.record("contentBytes=" + std::to_string(contentBytes) + "\ncontentDigest=" + digestHex(digest, sizeof digest) +
                 "\n",
             crypto_secretstream_xchacha20poly1305_TAG_FINAL);
    w.close();
}

ClearPart readClearPart(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BadPackage("cannot be read");
    char clear[kClearBytes];
    in.read(clear, kClearBytes);
    if (static_cast<size_t>(in.gcount()) < 10 || std::memcmp(clear, kMagic, sizeof kMagic) != 0)
        throw BadPackage("is no Quorvel package");
    ClearPart part;
    part.format = static_cast<unsigned char>(clear[8]) | static_cast<unsigned char>(clear[9]) << 8;
    if (static_cast<size_t>(in.gcount()) < kClearBytes) throw BadPackage("is cut short (its start is missing)");
    part.setId.assign(clear + 10, 36);
    while (!part.setId.empty() && part.setId.back() == ' ') part.setId.pop_back();
    // Read before anything is authenticated, and named in messages: only a
    // set identity's own characters are taken (no control characters reach
    // a terminal from a crafted file).
    if (part.setId.find_first_not_of("0123456789ABCDEFabcdef-") != std::string::npos)
        throw BadPackage("is no Quorvel package (its set identity is malformed)");
    return part;
}

std::string unseal(const replica::KeyBytes& key, const std::string& path, const std::string& contentPath) {
    needSodium();
    const ClearPart part = readClearPart(path);
    if (part.format != kPackageFormat)
        throw BadPackage("is of package format " + std::to_string(part.format) + "; this Quorvel reads format " +
                         std::to_string(kPackageFormat));
    std::ifstream in(path, std::ios::binary);
    std::string clear(kClearBytes, '\0');
    in.read(clear.data(), kClearBytes);
    Stream st;
    if (crypto_secretstream_xchacha20poly1305_init_pull(
            &st, reinterpret_cast<const unsigned char*>(clear.data()) + kClearBytes - kHeaderBytes, key.data()) != 0)
        throw BadPackage("cannot be opened with this site's key");

    // One record: false at the end of the file.
    std::vector<unsigned char> c, m;
    unsigned char tag = 0;
    size_t index = 0;
    auto next = [&](const unsigned char* ad, size_t adlen) -> bool {
        unsigned char lenBytes[4];
        in.read(reinterpret_cast<char*>(lenBytes), 4);
        if (in.gcount() == 0) return false;
        if (in.gcount() < 4) throw BadPackage("is cut short");
        const uint32_t len = lenBytes[0] | lenBytes[1] << 8 | lenBytes[2] << 16 | static_cast<uint32_t>(lenBytes[3]) << 24;
        if (len < kABytes || len > kMaxRecord + kABytes) throw BadPackage("was changed (a record of impossible length)");
        c.resize(len);
        in.read(reinterpret_cast<char*>(c.data()), len);
        if (static_cast<uint32_t>(in.gcount()) < len) throw BadPackage("is cut short");
        m.resize(len - kABytes);
        unsigned long long mlen = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&st, m.data(), &mlen, &tag, c.data(), len, ad, adlen) != 0)
            throw BadPackage(index == 0 ? "cannot be opened with this site's key, or was changed"
                                        : "was changed on the way (record " + std::to_string(index + 1) +
                                              " fails its authentication)");
        m.resize(mlen);
        ++index;
        return true;
    };

    if (!next(reinterpret_cast<const unsigned char*>(clear.data()), clear.size())) throw BadPackage("is cut short");
    if (tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE) throw BadPackage("was changed (no content)");
    const std::string headerText(m.begin(), m.end());

    if (!writePrivateFile(contentPath, "")) throw std::runtime_error("Cannot write " + contentPath + ".");
    std::ofstream out(contentPath, std::ios::binary | std::ios::trunc);
    ZDctx z;
    crypto_generichash_state hash;
    crypto_generichash_init(&hash, nullptr, 0, crypto_generichash_BYTES);
    std::vector<char> outBuf(ZSTD_DStreamOutSize());
    uint64_t contentBytes = 0;
    size_t frameLeft = 1;
    std::string trailer;
    for (;;) {
        if (!next(nullptr, 0)) throw BadPackage("is cut short");
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            trailer.assign(m.begin(), m.end());
            break;
        }
        ZSTD_inBuffer zin{m.data(), m.size(), 0};
        bool full = true;
        while (zin.pos < zin.size || full) {
            ZSTD_outBuffer zout{outBuf.data(), outBuf.size(), 0};
            frameLeft = ZSTD_decompressStream(z.p, &zout, &zin);
            if (ZSTD_isError(frameLeft)) throw BadPackage("holds a damaged content");
            out.write(outBuf.data(), static_cast<std::streamsize>(zout.pos));
            crypto_generichash_update(&hash, reinterpret_cast<const unsigned char*>(outBuf.data()), zout.pos);
            contentBytes += zout.pos;
            full = zout.pos == zout.size;
        }
    }
    if (frameLeft != 0) throw BadPackage("holds a content cut short");
    char extra;
    if (in.read(&extra, 1).gcount() != 0) throw BadPackage("has bytes after its end");
    out.close();
    if (!out) throw std::runtime_error("Cannot write " + contentPath + " (disk full?).");
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash_final(&hash, digest, sizeof digest);
    if (trailer != "contentBytes=" + std::to_string(contentBytes) + "\ncontentDigest=" +
                       digestHex(digest, sizeof digest) + "\n")
        throw BadPackage("holds a content that does not match its digest");
    return headerText;
}

}  // namespace quorvel::package
