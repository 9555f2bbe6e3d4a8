#pragma once
// What a connected database is, for the exchange: a replicated database (the
// master or a clone, known by the R$CLONE row marked ME = "Y"), a synchro
// database (R$SYNCHRO and R$DELETEDUPDATED, no R$CLONE), or something else.
// The fill and the read ask it before they touch anything, so that a wrong
// database is refused instead of emptied or applied as changes.
//
// A synchro database also tells who filled it last, in its one-row table
// R$SENDER. A synchro database made by the earlier definition has no such
// table: it is still a synchro database, one that does not tell.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"
#include "replica/SetIdentity.h"

namespace quorvel::synchro {

// Who filled a synchro database: the site's name and number (its R$CLONE
// row), the number of the history row that fill added, and its date.
struct Sender {
    std::string site;
    int64_t siteNumber = 0;
    int64_t fillNumber = 0;
    std::string date;
    replica::SetIdentity set;  // unknown in a file of an earlier format
};

struct DatabaseIdentity {
    enum class Kind { Replicated, Synchro, Other };
    Kind kind = Kind::Other;
    // Replicated: the NAME and NUMBER of the row marked ME = "Y" (empty when
    // no row is marked).
    std::string site;
    int64_t siteNumber = 0;
    // Synchro: whether R$SENDER exists, and its row when it has one; the
    // format its filler wrote.
    bool hasSenderTable = false;
    int format = 0;
    std::optional<Sender> sender;
    // Synchro: the first object in it that runs code (a trigger, procedure,
    // function, package, view or external table), e.g. "trigger ON_OPEN";
    // empty when there is none.
    std::string codeObject;
    // Other: the first of the synchro database's tables it lacks.
    std::string missingTable;
};

// Reads what `db` is, in a transaction of its own. Throws the server's error.
DatabaseIdentity identify(engine::Database& db);

// "the master" or "WEST": a site as the messages name it.
std::string siteText(const std::string& site);

// Why `db` (identified as `id`) cannot serve as a synchro database, or "" when
// it can: it is the file of `local` itself, a replicated database, or not a
// synchro database at all, or one written by a newer Quorvel. The alias names the database in the message.
std::string notASynchroDatabase(engine::Database& db, const DatabaseIdentity& id, engine::Database& local);

// The number of `site`'s last fill that the filler had read; 0 when none, or
// when the synchro database does not tell. In the current transaction.
int64_t acknowledgementOf(engine::Database& synchro, int64_t site);

// Refuses (Refused) a fill of a site that is no peer of `local`, or one not
// newer than the last of its fills read here.
void checkSenderIsPeer(engine::Database& local, engine::Database& synchro, const Sender& sender);

}  // namespace quorvel::synchro
