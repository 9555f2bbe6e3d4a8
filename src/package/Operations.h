#pragma once
// The exchange by packages: a site sends its fill as one sealed file into a
// folder and reads every package waiting for it in another. The plain
// synchro database (fill, read) stays as it is; these make and read such a
// database by themselves, in a temporary folder.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"
#include "package/PackageHeader.h"

namespace quorvel::package {

struct SendReport {
    std::string file;       // the package written, with its folder
    uint64_t bytes = 0;
    PackageHeader header;   // what it says of itself
};

// Fills a fresh synchro database made from the local catalogue and packs it
// into `dir` as "quorvel-SET-SENDER-FILL.qvp". The master makes its set's
// key at its first send when it has none; a site without one is refused
// (key import). Nothing is written into `dir` unless the whole package is:
// it appears under its name at once.
Outcome SendPackage(engine::Database& local, const std::string& dir, Reporter& reporter,
                    SendReport* report = nullptr);

struct ReceiveReport {
    enum class Kind {
        Read,         // read, moved to DIR/read
        AlreadyRead,  // a fill read before (a duplicate or one overtaken), moved to DIR/read
        Refused,      // no sound package of this set: left where it is
        NotForHere,   // a fill of a site that is no peer of this one: left where it is
        NotRead,      // sound, but its read failed or stopped (a collision): left for the next run
    };
    struct Item {
        std::string file;  // its name in DIR
        Kind kind;
        std::string sender;
        int64_t fillNumber = 0;
        std::string why;   // for Refused, NotForHere, NotRead
    };
    std::vector<Item> items;  // in the order they were dealt with
    bool collision = false;   // a read stopped on a collision: settle it with the plain synchro database
    int count(Kind kind) const;
};

// Checks every package in `dir` (*.qvp) before anything changes, then reads
// the sound ones in fill-number order per sender; what cannot be opened with
// this site's key, is of another set, is cut short or was changed is refused
// by name and the others are still read. Done when every package was read
// or passed over; refused when some package was refused; failed when a read
// failed (the outcome of the first that did).
Outcome ReceivePackages(engine::Database& local, const std::string& dir, Reporter& reporter,
                        ReceiveReport* report = nullptr);

struct ExchangeReport {
    ReceiveReport received;
    bool sent = false;
    SendReport send;
};

// Receive from `inbox`, then send into `outbox`, while no other run holds
// either folder (a lock file ".quorvel.lock" in each). The send runs even
// when some package was refused or not read; its outcome is then the
// receive's.
Outcome ExchangePackages(engine::Database& local, const std::string& inbox, const std::string& outbox,
                         Reporter& reporter, ExchangeReport* report = nullptr);

// The set's key into `file` (created 0600; an existing file is not
// replaced), and from such a file into this database. The import refuses a
// key of another set, and asks before it replaces a different key.
Outcome ExportKey(engine::Database& local, const std::string& file, Reporter& reporter);
Outcome ImportKey(engine::Database& local, const std::string& file, Reporter& reporter);

}  // namespace quorvel::package
