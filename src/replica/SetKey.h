#pragma once
// The set's key: 32 random bytes that seal and open the packages the sites
// of one replication set exchange. The master makes it when it is prepared
// (or at its first send, when it was prepared before keys existed); it lives
// in the one row of R$SETKEY, so every clone copied from the master holds it.
// A site made otherwise is given it with "key import".
//
// The key never goes into a statement's text: it travels as a parameter.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

using KeyBytes = std::array<unsigned char, 32>;

struct SetKey {
    std::string setId;  // the set it was made for ("" when not known)
    KeyBytes key{};
};

// The key recorded here; nullopt when there is none (or no R$SETKEY). In
// whatever transaction is open.
std::optional<SetKey> readSetKey(engine::Database& db);

// A new random key for the database's set, where none is recorded yet and
// the database knows its set. Returns whether one was made. In the open
// transaction.
bool makeSetKey(engine::Database& db);

// Records `key` as this database's (replacing any). In the open transaction.
void storeSetKey(engine::Database& db, const SetKey& key);

// Hex text of the key, and back (nullopt when the text is not 64 hex digits).
std::string keyToHex(const KeyBytes& key);
std::optional<KeyBytes> keyFromHex(const std::string& text);

}  // namespace quorvel::replica
