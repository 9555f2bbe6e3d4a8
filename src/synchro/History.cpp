// The synchronization history's delete and "Success", which ends a cycle by
// emptying the local journal.
#include <optional>
#include <string>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "synchro/Operations.h"
#include "synchro/RecordCode.h"

namespace quorvel::synchro {

namespace {

// The number of this site's first mark, from which its fills count: the
// oldest history row whose mark lies above the range of the database
// numbered one below this site. A clone's copy keeps the master's rows from
// its backup below its own first mark; on the master it is the oldest row.
std::optional<int64_t> firstOwnMark(engine::Database& db) {
    engine::Query q(db);
    std::optional<RecordCode> below;
    q.setSql("select Number from R$Clone where ME = \"Y\"");
    q.open();
    const int64_t number = q.eof() || q.field(0).isNull() ? 0 : q.field(0).asInteger();
    q.close();
    if (number > 0) {
        q.setSql("select MaxValue1, MaxValue2 from R$Clone where Number = " + std::to_string(number - 1));
        q.open();
        if (!q.eof() && !q.field(0).isNull() && !q.field(1).isNull())
            below = RecordCode{q.field(0).asInteger(), q.field(1).asInteger()};
        q.close();
    }
    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro order by SynchroNumber");
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        if (q.field(1).isNull() || q.field(2).isNull()) continue;
        if (!below || RecordCode{q.field(1).asInteger(), q.field(2).asInteger()} > *below)
            return q.field(0).asInteger();
    }
    return std::nullopt;
}

// Why history row `number` may not be deleted; nullopt when it may. Only the
// newest row goes, so that the next fill counts from the row below it and
// sends again what that fill sent; an older row would change no mark.
std::optional<std::string> undeletable(DM& dm, int64_t number) {
    engine::Transaction tx(dm.UserDB());
    const std::string n = std::to_string(number);
    const bool held = dm.Q6Integer("select count(*) from R$SYNCHRO where SynchroNumber = " + n) != 0;
    const int64_t newest = dm.Q6Integer("select max(SynchroNumber) from R$SYNCHRO");
    dm.Q6.close();
    if (!held) return "There is no history row " + n + ".";
    if (number != newest)
        return "Only the newest history row, " + std::to_string(newest) +
               ", may be deleted: the history is deleted from the newest row down.";
    if (firstOwnMark(dm.UserDB()) == number)
        return "History row " + n + " is this site's first mark, from which its fills count: it cannot be deleted.";
    return std::nullopt;
}

}  // namespace

Outcome DelSynchro(DM& dm, Frontend& ui, std::optional<int64_t> synchroNumber) {
    if (!dm.UserDB().connected() || !synchroNumber) {
        ui.showMessage("List is empty!");
        return Outcome::refused("List is empty!");
    }
    try {
        if (auto why = undeletable(dm, *synchroNumber)) {
            ui.showMessage(*why);
            return Outcome::refused(*why);
        }
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    if (!ui.confirm("Delete now?")) return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$SYNCHRO where SynchroNumber = " + std::to_string(*synchroNumber));
        tx.commit();
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    dm.ReopenSynchro();
    ui.setOK();
    ui.showMessage("The next fill sends again what fill " + std::to_string(*synchroNumber) + " sent.");
    return Outcome::done();
}

Outcome Success(DM& dm, Frontend& ui) {
    // Only the first mark, written when the triggers were made: this database
    // has never filled, and its journal holds changes no site has received.
    try {
        if (dm.Q6Integer("select count(*) from R$SYNCHRO") < 2) {
            const std::string why = "This database has not filled a synchro database yet: \"Success\" would "
                                    "drop changes that no site has received.";
            ui.showMessage(why);
            return Outcome::refused(why);
        }
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    if (!ui.confirm("Are you sure?")) return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$DeletedUpdated");
        tx.commit();
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    ui.setEnabled("SBFillSynchro", false);
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::synchro
