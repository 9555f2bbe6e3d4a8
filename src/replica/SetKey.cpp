#include "replica/SetKey.h"

#include <sys/random.h>

#include <cerrno>
#include <stdexcept>

#include "engine/Query.h"
#include "replica/Presence.h"
#include "replica/SetIdentity.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

KeyBytes randomKey() {
    KeyBytes key{};
    size_t got = 0;
    while (got < key.size()) {
        const ssize_t n = ::getrandom(key.data() + got, key.size() - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error("No random bytes for the set's key.");
        got += static_cast<size_t>(n);
    }
    return key;
}

}  // namespace

std::string keyToHex(const KeyBytes& key) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : key) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::optional<KeyBytes> keyFromHex(const std::string& text) {
    if (text.size() != 64) return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    KeyBytes key{};
    for (size_t i = 0; i < key.size(); ++i) {
        const int hi = nibble(text[2 * i]), lo = nibble(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        key[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    return key;
}

std::optional<SetKey> readSetKey(engine::Database& db) {
    if (!TablePresent(db, "R$SETKEY")) return std::nullopt;
    engine::Query q(db);
    q.setSql("select SETID, SETKEY from R$SETKEY");
    q.open();
    if (q.eof() || q.field(1).isNull()) return std::nullopt;
    const std::optional<KeyBytes> key = keyFromHex(q.field(1).asString());
    if (!key) return std::nullopt;
    return SetKey{q.field(0).isNull() ? "" : q.field(0).asString(), *key};
}

void storeSetKey(engine::Database& db, const SetKey& key) {
    run(db, "delete from R$SETKEY");
    engine::Query q(db);
    q.setSql("insert into R$SETKEY (SETID, SETKEY) values (:SETID, :SETKEY)");
    q.setParam("SETID", key.setId.empty() ? engine::Value{engine::Null{}} : engine::Value{key.setId});
    q.setParam("SETKEY", engine::Value{keyToHex(key.key)});
    q.execSql();
}

bool makeSetKey(engine::Database& db) {
    if (!TablePresent(db, "R$SETKEY") || readSetKey(db)) return false;
    const SetIdentity set = readSetIdentity(db);
    if (!set.known()) return false;
    storeSetKey(db, SetKey{set.setId, randomKey()});
    return true;
}

}  // namespace quorvel::replica
