// "Fill SYNCHRO gdb": writes into the out-synchro database everything this
// site's peers have not all acknowledged: the rows created here since the
// mark of the newest fill every peer has read, the rows named by the
// journal's "U" entries, the journal itself (what the master passes on from
// a clone included, with its origin), who fills it, and the last fill this
// site read from each peer (its acknowledgements); then adds the new mark to
// the local history. A second fill, or a synchro file lost on the way, loses
// nothing: what is sent again is the same row under the same record code.
//
// The journal prunes itself here: entries every peer has acknowledged go.
// The synchro database commits before the local one: if the fill dies
// between the two, the local history and journal have not moved and the next
// fill sends the same changes again.
#include <cstdint>
#include <optional>
#include <tuple>

#include "connect/DialectCheck.h"
#include "db/PrivateFile.h"
#include "db/Today.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/Acknowledgements.h"
#include "replica/Captured.h"
#include "replica/Journal.h"
#include "replica/ChangeTest.h"
#include "replica/CodeColumns.h"
#include "replica/TriggerKind.h"
#include "replica/TriggerState.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SqlText.h"
#include "replica/ExchangeLog.h"
#include "replica/Statements.h"
#include "replica/LocalSite.h"
#include "replica/TableLists.h"
#include "synchro/ColumnFit.h"
#include "synchro/FillMark.h"
#include "synchro/FillSelection.h"
#include "synchro/Operations.h"
#include "synchro/RecordTransfer.h"
#include "operation/Refused.h"
#include "synchro/SynchroIdentity.h"
#include "synchro/TableCheck.h"

namespace quorvel::synchro {

using replica::LocalSite;
using replica::codesPastBound;
using replica::RecordCode;
using replica::workingTables;
using replica::tableOrder;
using replica::quoted;

namespace {

// The trace of the last table's selection, in the process's current folder,
// for the operator alone (0600). A link planted there is not followed: the
// trace is then not written, and nothing else is overwritten.
void writeTrace(const std::string& statement) {
    std::string text;
    std::string::size_type start = 0;
    while (start <= statement.size()) {
        const auto end = statement.find('\n', start);
        text += statement.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\r\n";
        if (end == std::string::npos) break;
        start = end + 1;
    }
    writePrivateFile("sss.txt", text);
}

void emptySynchro(engine::Database& synchro, const std::vector<std::string>& working) {
    for (const std::string& t : working) synchro.execute("delete from " + synchro.identifier(t));
    synchro.execute("delete from R$DELETEDUPDATED");
    synchro.execute("delete from R$SYNCHRO");
    synchro.execute("delete from R$SENDER");
    synchro.execute("delete from R$ACKNOWLEDGED");
}

// A column added to a working table after its triggers were made is not
// compared by its update trigger: an update of it alone would never travel.
void refuseColumnsTheTriggersMiss(engine::Database& local) {
    engine::Transaction look(local);
    for (const std::string& table : workingTables(local)) {
        const std::vector<std::string> missed = replica::columnsTheTriggerMisses(local, table);
        if (missed.empty()) continue;
        std::string names;
        for (const std::string& m : missed) names += (names.empty() ? "" : ", ") + m;
        throw Refused("The update trigger of " + table + " does not compare " + names +
                      " (added after the triggers were made): an update of them alone would not be sent. Run "
                      "renew-triggers first. Nothing was changed.");
    }
}

// With the replication triggers off, users' changes are not recorded and
// their new rows get no record code: a fill would say "sent" and leave them
// behind for good.
void refuseUncapturedChanges(engine::Database& local) {
    engine::Transaction look(local);
    if (replica::triggerKind(local) != replica::TriggerKind::None && replica::TriggersInactive(local))
        throw Refused("The replication triggers of this database are off: what users change meanwhile is not "
                      "recorded, and the rows they insert get no record code. Make them active first "
                      "(triggers-active, \"Make Triggers Active\"), which gives those rows their codes. "
                      "Nothing was changed.");
    for (const std::string& table : workingTables(local))
        if (const int64_t rows = replica::RowsInsertedUncoded(local, table))
            throw Refused(std::to_string(rows) + (rows == 1 ? " row" : " rows") + " of " + table +
                          (rows == 1 ? " has" : " have") + " no record code (inserted while the triggers were off): they could never be "
                          "sent. Switch the triggers off and on again (triggers-inactive, then triggers-active), "
                          "which gives them their codes. Nothing was changed.");
}

// Rows of `select` on the local database appended to `table` of the synchro
// database; `choose` (with `replaceKey`) picks what of them travels.
int64_t transfer(engine::Database& local, engine::Database& synchro, const std::string& select,
                 const std::string& table, const std::function<void(int64_t)>& onRows,
                 const RecordTransfer::ChooseRow& choose = {}, const std::vector<std::string>& replaceKey = {}) {
    engine::Query source(local);
    source.setSql(select);
    engine::Table target(synchro);
    target.setTableName(table);
    RecordTransfer transfer(source, target);
    transfer.onRows = onRows;
    transfer.chooseRow = choose;
    transfer.replaceKey = replaceKey;
    return transfer.append();
}

using Take = RecordTransfer::Take;

// One journal entry of each row and operation travels, the latest: the
// entries come grouped by row and operation (in the order of the journal's
// index, which spares the server a sort of the whole journal), the first of
// a group is appended and a later one met after it takes its place.
class LatestEntries {
public:
    explicit LatestEntries(int64_t here) : here_(here) {}

    Take operator()(const engine::DataSet& entries) {
        const Entry entry = entryOf(entries);
        if (!latest_ || latest_->row != entry.row) {
            latest_ = entry;
            return Take::Append;
        }
        if (!replica::laterEntry(entry.ranked, latest_->ranked)) return Take::Skip;
        latest_ = entry;
        return Take::Replace;
    }

    static const std::vector<std::string>& key() {
        static const std::vector<std::string> columns{"R$CODE1", "R$CODE2", "OPERATION"};
        return columns;
    }

private:
    using Row = std::tuple<int64_t, int64_t, std::string>;  // the code and the operation
    struct Entry {
        Row row;
        replica::JournalEntry ranked;
    };

    // The statement writes this site's number where no origin is written;
    // no journal names its own site as the origin of a change (a site never
    // reads its own fill), so that number tells an entry made here.
    Entry entryOf(const engine::DataSet& e) const {
        const int64_t origin = e.field(4).asInteger();
        return {{e.field(0).asInteger(), e.field(1).asInteger(), e.field(2).asString()},
                {origin == here_ ? std::nullopt : std::optional<int64_t>(origin), engine::optionalInteger(e.field(5)),
                 engine::optionalInteger(e.field(6))}};
    }

    int64_t here_;
    std::optional<Entry> latest_;
};

// A row named by several journal entries comes once for each, one after the
// other: it travels once.
class RepeatedRows {
public:
    Take operator()(const engine::DataSet& rows) {
        if (!code1_) {
            code1_ = rows.findField("R$CODE1");
            code2_ = rows.findField("R$CODE2");
        }
        const replica::RecordCode code{code1_->asInteger(), code2_->asInteger()};
        const bool again = previous_ == code;
        previous_ = code;
        return again ? Take::Skip : Take::Append;
    }

private:
    const engine::Field* code1_ = nullptr;
    const engine::Field* code2_ = nullptr;
    std::optional<replica::RecordCode> previous_;
};

// A fill that stopped before its synchro database was committed: its mark
// goes, and its number is given back when no fill drew one since (`before`
// is where the number stood). Best effort: a failure here leaves a mark or a
// number no file names, which costs the next fill nothing but a history row
// or a gap in the numbers.
void forgetFill(engine::Database& local, int64_t number, int64_t before) {
    try {
        engine::Transaction tx(local);
        local.execute("delete from R$SYNCHRO where SynchroNumber = " + std::to_string(number));
        if (replica::integerOf(local, "select gen_id(R$FillNumber, 0) from RDB$Database") == number)
            replica::integerOf(local, "select gen_id(R$FillNumber, " + std::to_string(before - number) +
                                          ") from RDB$Database");
        tx.commit();
    } catch (...) {
    }
}

}  // namespace

Outcome FillSynchro(engine::Database& local, engine::Database& synchro, Reporter& reporter, FillReport* report) {
    FillReport unused;
    FillReport& rep = report ? *report : unused;
    rep = {};
    const Outcome outcome = runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        if (!synchro.connected()) throw Refused("Connect to the Out Synchro database first.");
        connect::refuseMixedDialects(local, synchro);
        replica::requireCurrentVersion(local);
        replica::refuseRestoredFile(local);
        // What the out-synchro database is, before anything in it is emptied:
        // the master, a clone or the local file itself must never be.
        DatabaseIdentity target, here;
        try {
            target = identify(synchro);
            if (const std::string why = notASynchroDatabase(synchro, target, local); !why.empty()) throw Refused(why);
            here = identify(local);
        } catch (const Refused&) {
            throw;
        } catch (const std::exception& e) {
            throw Refused(e.what());
        }
        // Another site's fill may not have been read yet: replace it only when
        // asked to.
        if (target.sender && !here.site.empty() && target.sender->site != here.site &&
            !reporter.confirm("It holds " + siteText(target.sender->site) + "'s fill no. " +
                              std::to_string(target.sender->fillNumber) + ". Replace it?"))
            return Outcome::cancelled();

        // What this fill leaves for the next, drawn before its snapshot
        // begins: every row coded below it is then either committed and seen
        // by the snapshot, or held by a transaction the mark stops short of.
        refuseColumnsTheTriggersMiss(local);
        refuseUncapturedChanges(local);
        ensureTableOrder(local, reporter);
        std::optional<std::string> pastBound, nextWarning;
        std::vector<std::string> working, ordered;
        {
            engine::Transaction lists(local);
            working = workingTables(local);
            ordered = tableOrder(local);
        }
        // Made by an earlier definition: what tells the sites about each other is added.
        replica::upgradeSynchro(synchro);
        {
            // Refused before this fill takes a number: nothing is changed.
            engine::Transaction look(synchro);
            std::vector<std::string> needed = working;
            needed.insert(needed.end(), ordered.begin(), ordered.end());
            needed.push_back("R$DELETEDUPDATED");
            needed.push_back("R$SYNCHRO");
            requireTables(synchro, local, needed, "synchro database");
            requireColumnsFit({local, "this database"}, {synchro, "the synchro database"}, ordered);
        }
        // The fill's number and the mark it leaves for the next are committed
        // before the synchro database can be read as complete: a fill killed
        // after its file was written and before its local commit has used up
        // its number, and the next fill takes another (a reader of the killed
        // file would otherwise refuse the real fill of that number as not
        // newer, and acknowledge what it never had). The mark is drawn
        // before the snapshot begins: every row coded below it is then either
        // committed and seen by the snapshot, or held by a transaction the
        // mark stops short of.
        const std::string date = nowText();
        int64_t number = 0, acknowledged = 0, numberBefore = 0;
        {
            engine::Transaction marking(local);
            pastBound = codesPastBound(local, LocalSite::read(local));
            const FillMark next = drawFillMark(local);
            acknowledged = replica::acknowledgedByAll(replica::readPeers(local), replica::lastFillNumber(local));
            numberBefore = replica::integerOf(local, "select gen_id(R$FillNumber, 0) from RDB$Database");
            number = replica::drawFillNumber(local);
            rep.fillNumber = number;
            local.execute("insert into R$SYNCHRO values(" + std::to_string(number) + ", " + quoted(date) + ", " +
                          std::to_string(next.code.high) + ", " + std::to_string(next.code.low) + ")");
            marking.commit();
            if (next.warning) nextWarning = next.warning;
        }
        bool committing = false;
        try {
            // One moment for every table and the journal: a child row committed
            // with its parent is never sent without it, whatever other users
            // commit while the fill runs.
            engine::Transaction user(local, engine::Database::Isolation::Snapshot);
            const LocalSite site = LocalSite::read(local);
            const std::vector<replica::Peer> peers = replica::readPeers(local);
            // Emptied and filled in one transaction: a fill that stops on the
            // way (cancelled, refused by the server) leaves the synchro
            // database as it was, another site's unread fill included.
            engine::Transaction filling(synchro);
            reporter.step("Clear Synchro tables");
            reporter.breathe();
            emptySynchro(synchro, working);
            // What the triggers captured joins the journal first, in this
            // snapshot (the journal then holds every change the rows show),
            // stamped on its way as carried by this fill.
            replica::absorbCaptured(local, {number, replica::seenAtClone(peers)});
            // What every peer has read goes; what remains is stamped with this
            // fill's number where no fill carried it yet, and at a clone with
            // the last master fill it had read when the change was made.
            local.execute("delete from R$DeletedUpdated where FirstFill <= " + std::to_string(acknowledged));
            replica::markCarriedBy(local, number);
            replica::stampSeen(local, peers);
            const replica::HistoryMark from = replica::markOfFill(local, acknowledged);
            const RecordCode mark = from.code;

            // The history from the mark counted from: the reader learns which
            // of these rows it has had already, by the last fill it read.
            transfer(local, synchro,
                     "select * from R$Synchro where SynchroNumber >= " + std::to_string(from.number), "R$SYNCHRO", {});
            const replica::SetIdentity set = replica::readSetIdentity(local);
            synchro.execute("insert into R$SENDER (SITENAME, SITENUMBER, FILLNUMBER, FILLDATE, FORMAT, SETID, GENERATION) "
                            "values (" + quoted(site.identity) + ", " + std::to_string(here.siteNumber) + ", " +
                            std::to_string(number) + ", " + quoted(date) + ", " + std::to_string(replica::kSynchroFormat) +
                            ", " + (set.known() ? quoted(set.setId) : "null") + ", " +
                            (set.generation ? std::to_string(set.generation) : "null") + ")");
            for (const replica::Peer& p : peers)
                synchro.execute("insert into R$ACKNOWLEDGED values (" + std::to_string(p.number) + ", " + quoted(p.name) +
                                ", " + std::to_string(p.lastRead) + ")");

            reporter.step("Fill R$DeletedUpdated");
            reporter.breathe();
            rep.journalEntries = transfer(local, synchro, journalByRow(here.siteNumber), "R$DELETEDUPDATED", {},
                                          LatestEntries(here.siteNumber), LatestEntries::key());

            for (std::size_t k = 0; k < ordered.size(); ++k) {
                const std::string& table = ordered[k];
                reporter.progress(static_cast<long long>(k), static_cast<long long>(ordered.size()));
                const FillSelection selection = fillSelection(local, table, mark, site.bound);
                writeTrace(selection.created + "\n;\n" + selection.updated + "\n;");
                int64_t sent = 0;
                reporter.rows(table, 0);
                sent += transfer(local, synchro, selection.created, table,
                                 [&reporter, table](int64_t rows) { reporter.rows(table, rows); });
                sent += transfer(local, synchro, selection.updated, table,
                                 [&reporter, table, sent](int64_t rows) { reporter.rows(table, sent + rows); },
                                 RepeatedRows{});
                rep.tables.push_back({table, sent});
                reporter.rows(table, sent);
                reporter.breathe();
            }

            // The history sent above ends with this fill's own mark.
            committing = true;
            filling.commit();
            user.commit();
        } catch (...) {
            // Not killed, only stopped (cancelled, refused by the server): the
            // mark goes again, and the history is as it was. Its number is
            // given back unless the synchro database may hold it: once its
            // commit began, a reader may have a file of that number.
            forgetFill(local, number, committing ? number : numberBefore);
            throw;
        }
        if (pastBound) reporter.notice(*pastBound);
        if (nextWarning) reporter.notice(*nextWarning);
        return Outcome::done();
    });
    std::string counts;
    for (const FillReport::Table& t : rep.tables)
        if (t.rows) counts += (counts.empty() ? "" : ", ") + t.name + " " + std::to_string(t.rows);
    counts += (counts.empty() ? "" : "; ") + std::to_string(rep.journalEntries) + " journal entries";
    replica::logOutcome(local, {"fill", {}, rep.fillNumber ? std::optional<int64_t>(rep.fillNumber) : std::nullopt,
                                counts, false},
                        outcome);
    return outcome;
}

}  // namespace quorvel::synchro
