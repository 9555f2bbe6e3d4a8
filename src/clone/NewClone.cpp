// "New clone": registers a clone in the master's R$CLONE.
#include <exception>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "clone/Operations.h"
#include "engine/FirstValue.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "db/Today.h"
#include "operation/RunOperation.h"
#include "replica/Acknowledgements.h"
#include "replica/SchemaVersion.h"
#include "replica/LocalSite.h"
#include "replica/SqlText.h"

namespace quorvel::clone {

namespace {

// A clone needs armed working tables: without them there is nothing to copy
// and no record codes to give the clone a range of.
void refuseUnarmed(engine::Database& master) {
    const char* why = nullptr;
    try {
        if (engine::firstInteger(master, sql::kCountWorkingTables).value_or(0) == 0)
            why = "There are no tables for cloning!";
        else if (engine::firstInteger(master, sql::kCountReplicationTriggers).value_or(0) == 0)
            why = "There are no triggers for working tables!";
    } catch (const std::exception& e) {
        // Typically no meta structures in the connected database.
        throw Refused(e.what());
    }
    if (why) throw Refused(why);
    // Clones are registered at the master: a clone's registry is a copy, and
    // a clone registered there would be no peer of the master.
    const std::string identity = replica::identityOf(master);
    if (identity != "MASTER")
        throw Refused("The local database is " + (identity.empty() ? "no master" : "the clone " + identity) +
                      ": clones are registered at the master. Nothing was registered.");
}

// A bound is written into R$CLONE as typed, so it must be an integer; the
// low word cannot exceed the largest low word of a record code, or the next
// clone's range would start beyond what a generator holds.
constexpr int64_t kMinimumRange = 1000000;

bool validBound(const std::string& text, bool lowWord) {
    if (!replica::isIntegerText(text)) return false;
    return !lowWord || std::stoll(text) <= kMaxLowWord;
}

// A clone's codes start just after the bound of the row numbered one below
// it, so a bound at or below one registered already gives two sites the
// same record codes. Why the entry's bound does not rise above every
// registered one, or nothing when it does.
std::optional<std::string> boundNotAbove(engine::Database& master, const CloneEntry& entry) {
    const std::pair<int64_t, int64_t> typed{std::stoll(entry.maxValue1), std::stoll(entry.maxValue2)};
    engine::Query q(master);
    q.setSql(sql::kHighestBound);
    q.open();
    if (q.eof()) return std::nullopt;
    const std::string name = q.field(0).asString();
    const std::pair<int64_t, int64_t> highest{q.field(1).asInteger(), q.field(2).asInteger()};
    auto text = [](std::pair<int64_t, int64_t> b) {
        return "(" + std::to_string(b.first) + ", " + std::to_string(b.second) + ")";
    };
    if (typed > highest) {
        // A site draws a code for every row it inserts and every fill: a
        // range of a few codes runs out at once.
        const RecordCodeStart start = startAfter(highest.first, highest.second);
        const int64_t codes = (typed.first - start.gen1) * (kMaxLowWord + 1) + (typed.second - start.gen2) + 1;
        if (codes >= kMinimumRange) return std::nullopt;
        return "The range from " + text({start.gen1, start.gen2}) + " to " + text(typed) + " holds " +
               std::to_string(codes) + (codes == 1 ? " code" : " codes") + ": a site needs at least " +
               std::to_string(kMinimumRange) + ". Give a higher bound. Nothing was registered.";
    }
    return "The bound " + text(typed) + " is not above " + text(highest) + ", where the range of " + name +
           " ends: a new clone's range must end above every registered one. Nothing was registered.";
}

// Each site has a name of its own: an empty name, or one the registry holds
// already (the master's, a registered clone's), is refused before the server
// would refuse the row.
std::optional<std::string> nameTaken(engine::Database& master, const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos)
        return std::string("Give the new clone a name. Nothing was registered.");
    const int64_t held = engine::firstInteger(master, sql::countCloneRows(name)).value_or(0);
    if (held == 0) return std::nullopt;
    return "A site named " + name + " is registered already (number " +
           std::to_string(engine::firstInteger(master, sql::numberOf(name)).value_or(0)) +
           "): give the new clone another name. Nothing was registered.";
}

}  // namespace

Outcome CheckMasterTakesClones(engine::Database& master, Reporter& reporter) {
    return runOperation(reporter, [&] {
        refuseUnarmed(master);
        replica::requireCurrentVersion(master);
        return Outcome::done();
    });
}

Registration RegisterClone(engine::Database& master, const CloneEntry& entry, Reporter& reporter) {
    EntryPart refused = EntryPart::None;
    Outcome outcome = runOperation(reporter, [&] {
        refuseUnarmed(master);
        for (const auto& [text, part, lowWord] : {std::tuple{&entry.maxValue1, EntryPart::MaxValue1, false},
                                                  std::tuple{&entry.maxValue2, EntryPart::MaxValue2, true}}) {
            if (!validBound(*text, lowWord)) {
                refused = part;
                throw Refused("Invalid number");
            }
        }
        engine::Transaction tx(master);
        if (auto why = nameTaken(master, entry.name)) {
            refused = EntryPart::Name;
            throw Refused(*why);
        }
        if (auto why = boundNotAbove(master, entry)) {
            refused = EntryPart::MaxValue1;
            throw Refused(*why);
        }
        const int64_t number = engine::firstInteger(master, sql::kMaxNumber).value_or(0) + 1;
        master.execute(sql::insertClone(entry.name, number, entry.maxValue1, entry.maxValue2));
        // The backup that becomes the clone holds everything made so far.
        replica::registerPeer(master, number, entry.name, nowText());
        tx.commit();
        return Outcome::done();
    });
    return {outcome, refused};
}

}  // namespace quorvel::clone
