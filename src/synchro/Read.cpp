// "Read from SYNCHRO": applies another site's synchro database to the local
// one in one transaction on each connection, so a read is applied whole or
// not at all, also when the process is killed. On a failure the report
// names the table where it stopped, with the rows on both sides.
#include <optional>

#include "connect/DialectCheck.h"
#include "db/Today.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/Captured.h"
#include "replica/ReplicationSchema.h"
#include "replica/Acknowledgements.h"
#include "replica/ExchangeLog.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/LocalSite.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"
#include "synchro/ArrivalJournal.h"
#include "synchro/ColumnFit.h"
#include "synchro/MomentaryFailure.h"
#include "synchro/Operations.h"
#include "synchro/ReadPasses.h"
#include "synchro/RecordTransfer.h"
#include "operation/Refused.h"
#include "synchro/SynchroIdentity.h"
#include "synchro/TableCheck.h"
#include "replica/TriggerKind.h"
#include "replica/TriggerState.h"
#include "replica/UserTriggers.h"

namespace quorvel::synchro {

using replica::Journal;
using replica::LocalSite;
using replica::RecordCode;
using replica::tableOrder;
using replica::codeAbove;

namespace {

// The origin of changes whose sender a synchro database of an earlier
// definition does not tell: no site's number, so no clone takes them for its own.

// The mark the sender counted its new rows from: the oldest of the history
// rows it sent.
RecordCode senderMark(engine::Database& synchro) {
    engine::Query q(synchro);
    q.setSql("select R$Code1, R$Code2 from R$Synchro order by SynchroNumber");
    q.open();
    if (q.eof() || q.field(0).isNull() || q.field(1).isNull())
        throw Refused("The synchro database holds no mark (its R$SYNCHRO is empty): it has not been filled.");
    return {q.field(0).asInteger(), q.field(1).asInteger()};
}

// The sender's mark when it made fill `lastRead`, the last of its fills read
// here: its rows up to that mark have reached this site before (a row of
// them not held here was deleted here, or settled as a collision).
std::optional<RecordCode> markReadBefore(engine::Database& synchro, int64_t lastRead) {
    engine::Query q(synchro);
    q.setSql("select R$Code1, R$Code2 from R$Synchro where SynchroNumber <= " + std::to_string(lastRead) +
             " order by SynchroNumber desc");
    q.open();
    if (q.eof() || q.field(0).isNull() || q.field(1).isNull()) return std::nullopt;
    return RecordCode{q.field(0).asInteger(), q.field(1).asInteger()};
}

std::vector<std::string> rowText(engine::DataSet& ds) {
    std::vector<std::string> out;
    if (!ds.active() || ds.eof()) return out;
    for (int i = 0; i < ds.fieldCount(); ++i)
        out.push_back(ds.field(i).name() + "=" + (ds.field(i).isNull() ? "<null>" : ds.field(i).asString()));
    return out;
}

std::optional<RecordCode> codeOfRow(engine::DataSet& rows) {
    const engine::Field* c1 = rows.active() && !rows.eof() ? rows.findField("R$CODE1") : nullptr;
    const engine::Field* c2 = c1 ? rows.findField("R$CODE2") : nullptr;
    if (!c1 || !c2 || c1->isNull() || c2->isNull()) return std::nullopt;
    return RecordCode{c1->asInteger(), c2->asInteger()};
}

// The local row holding `key` in `columns`, read afresh after the rollback.
void findLocalRow(engine::Database& local, ReadReport::Collision& c, const std::vector<std::string>& columns,
                  const std::vector<engine::Value>& key) {
    engine::Table t(local);
    t.setTableName(c.table);
    t.open();
    std::string list;
    for (const std::string& column : columns) list += (list.empty() ? "" : ";") + column;
    if (!t.locate(list, key)) return;
    c.localRow = rowText(t);
    c.localKeyColumns = columns;
    c.localKey = key;
}

// The INSERT or UPDATE pass failed on the current synchro row: the local
// side is the row that holds its primary key.
void rowCollision(ReadContext& cx, ReadReport::Collision& c) {
    engine::Query& rows = cx.synchroRows;
    c.synchroRow = rowText(rows);
    c.synchroCode = codeOfRow(rows);
    c.synchroRows = "select * from " + cx.local.identifier(c.table) + " where " + (c.pass == "INSERT" ? "" : "not ") +
                    codeAbove(cx.senderMark);
    engine::Table keys(cx.local);
    keys.setTableName(c.table);
    const std::vector<std::string> columns = splitKeyList(keys.primaryKeyFields());
    if (columns.size() == 1 && columns[0].empty()) return;
    std::vector<engine::Value> key;
    for (const std::string& column : columns) {
        const engine::Field* f = rows.active() && !rows.eof() ? rows.findField(column) : nullptr;
        if (!f) return;
        key.push_back(f->asValue());
    }
    findLocalRow(cx.local, c, columns, key);
}

// The DELETE pass failed on the current "D" entry: the synchro side is the
// sender's entry, the local side the row that entry names.
void deleteCollision(ReadContext& cx, ReadReport::Collision& c) {
    engine::Query& entries = cx.synchroRows;
    if (entries.active() && !entries.eof() && entries.fieldCount() >= 2 && !entries.field(0).isNull() &&
        !entries.field(1).isNull())
        c.entry = RecordCode{entries.field(0).asInteger(), entries.field(1).asInteger()};
    c.synchroRow = rowText(entries);
    c.synchroCode = c.entry;
    c.synchroRows = "select * from R$DELETEDUPDATED where Operation = 'D' and TableName = " + replica::quoted(c.table) +
                    " order by R$Code1, R$Code2";
    if (c.entry) findLocalRow(cx.local, c, recordCodeColumns(), {c.entry->high, c.entry->low});
}

// After a failed read (both transactions rolled back): where it stopped,
// with both sides' rows.
// Said as what it is: a key both sites took, a value no row of the fill
// moves away, a delete that rows here still hold back, a reference to a row
// not held here, or the server's refusal.
std::string adviceOn(const ReadReport::Collision& c, engine::Failure failure, bool hasKey) {
    const std::string t = c.table;
    if (c.entry)
        return "Rows here still refer to the row the sender deleted. Settle it with drop-delete-entry " + t + " " +
               std::to_string(c.entry->high) + " " + std::to_string(c.entry->low) +
               " (the row stays here, and this site's next fill sends it back to the sites that deleted it), or "
               "delete the rows that refer to it here (this site's next fill deletes them at every site). Then "
               "read again.";
    if (failure == engine::Failure::KeyViolation && !c.localRow.empty())
        return "Both sites hold a row with this key. Settle it with copy-from-synchro " + t +
               " KEY... (the synchro row takes the place of this site's row here) or delete-synchro-row " + t +
               " KEY... (this site keeps its row and does not take the synchro row). Then read again.";
    if (failure == engine::Failure::KeyViolation)
        return std::string(hasKey ? "" : "Table " + t + " has no primary key, so no settle command can name its rows. ") +
               "Another row here holds a unique value this row takes, and no row of this fill moves it away. Change "
               "that value here (the change travels with this site's next fill), then read again.";
    if (failure == engine::Failure::ReferenceViolation)
        return "The row refers to a row this database does not hold (deleted here, or not yet come from the site "
               "that has it). Read that site's fills first; or delete-synchro-row " + t +
               " KEY... leaves the row out here. Then read again.";
    return "The server refused the row. Nothing was applied: mend the cause here, then read again.";
}

ReadReport::Collision collisionOf(ReadContext& cx, const std::string& table, const std::string& pass,
                                  const std::string& message, engine::Failure failure) {
    ReadReport::Collision c{table, pass, message, {}, {}, {}, {}, {}, {}, {}, {}};
    // The failed insert or update is never written.
    if (cx.localTable.active() && cx.localTable.state() != engine::DataSetState::Browse) cx.localTable.cancel();
    try {
        if (!table.empty()) pass == "DELETE" ? deleteCollision(cx, c) : rowCollision(cx, c);
    } catch (const std::exception&) {
        // The server's first message is the one to report.
    }
    bool hasKey = true;
    try {
        engine::Table keys(cx.local);
        keys.setTableName(table);
        hasKey = !keys.primaryKeyFields().empty();
    } catch (const std::exception&) {
    }
    c.advice = adviceOn(c, failure, hasKey);
    return c;
}

// Before anything is asked or changed: what the in-synchro database is and
// who filled it. A replicated database would be applied whole as changes,
// and a site's own fill would revert its later edits. Returns the sender,
// when the synchro database tells.
std::optional<Sender> checkSource(engine::Database& local, engine::Database& synchro, Reporter& reporter) {
    const DatabaseIdentity source = identify(synchro);
    if (const std::string why = notASynchroDatabase(synchro, source, local); !why.empty()) throw Refused(why);
    if (source.sender) {
        // Another set's fill first: its sites bear this set's names too.
        replica::SetIdentity ours;
        {
            engine::Transaction tx(local);
            ours = replica::readSetIdentity(local);
        }
        if (const std::string why = replica::foreignFill(ours, source.sender->set, synchro.aliasName(),
                                                         siteText(source.sender->site), source.sender->siteNumber == 0);
            !why.empty())
            throw Refused(why);
        const std::string here = identify(local).site;
        if (source.sender->site == here)
            throw Refused(synchro.aliasName() + " holds this site's own fill (" + siteText(here) + "'s fill no. " +
                          std::to_string(source.sender->fillNumber) +
                          "): a site never reads its own fill. Read the fill of another site. "
                          "Nothing was changed.");
        checkSenderIsPeer(local, synchro, *source.sender);
        // The fills of this site the sender says it read: a number never
        // drawn here is no site's (an edited or damaged file), and recorded
        // it would prune from the journal what the sender never had.
        int64_t acknowledged = 0, drawn = 0;
        {
            engine::Transaction tx(local);
            drawn = replica::lastFillNumber(local);
        }
        {
            engine::Transaction tx(synchro);
            acknowledged = acknowledgementOf(synchro, identify(local).siteNumber);
        }
        if (acknowledged > drawn)
            throw Refused(synchro.aliasName() + " says its sender read this site's fill no. " +
                          std::to_string(acknowledged) + ", but this site has made fills up to no. " +
                          std::to_string(drawn) + " only: the file was not written by a site of this set as it "
                          "stands (edited or damaged). Nothing was changed.");
    } else if (!source.hasSenderTable) {
        reporter.notice(synchro.aliasName() +
                        " does not tell who filled it (it was made by an earlier definition); reading it.");
    }
    // Triggers of an earlier version would give the rows the read applies
    // new codes and journal them as local changes; those of this version
    // skip the read's own transaction.
    if (replica::triggerKind(local) != replica::TriggerKind::SkipsReads && !replica::TriggersInactive(local))
        throw Refused("The triggers of this database are of an earlier version and active: make them inactive "
                      "before a read (\"Make Triggers Inactive\"), or the read would give the rows new codes "
                      "and journal them as local changes. \"renew-triggers\" installs triggers that need no "
                      "switch.");
    return source.sender;
}

// What the read asks before it changes anything: the operator's own
// triggers on the working tables fire for the rows it applies, unless they
// are off or test R$READING themselves.
std::string readQuestion(engine::Database& local) {
    if (replica::triggerKind(local) != replica::TriggerKind::SkipsReads)
        return "You HAVE TO make triggers inactive! Read now?";
    if (replica::activeUserTriggers(local) == 0) return "Read now?";
    std::string question = "Other users may keep working during the read. Your own triggers on the working tables "
                           "are active and fire for the rows it applies.";
    const std::vector<std::string> writers = replica::unguardedWriters(local);
    if (!writers.empty()) {
        question += " These change the rows it applies, so the sites will hold different values:";
        for (size_t i = 0; i < writers.size(); ++i) question += (i ? "; " : " ") + writers[i];
        question += " (\"guard-triggers\" makes them skip a read's rows).";
    }
    return question + " Read now?";
}

// A lost connection or another user's lock is the moment's, not a fault of
// either database: said in the operator's words, keeping what it was.
[[noreturn]] void throwMomentary(const std::exception& e, const std::string& why) {
    throw engine::DbError(why, 0, 0, engine::failureOf(e));
}

}  // namespace

Outcome ReadFromSynchro(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                        ReadReport* report, bool confirmed) {
    ReadReport unused;
    ReadReport& rep = report ? *report : unused;
    rep = {};
    const Outcome outcome = runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        if (!synchro.connected()) throw Refused("Connect to the In Synchro database first.");
        connect::refuseMixedDialects(local, synchro);
        replica::requireCurrentVersion(local);
        replica::refuseRestoredFile(local);
        std::optional<Sender> sender;
        try {
            sender = checkSource(local, synchro, reporter);
        } catch (const Refused&) {
            throw;
        } catch (const std::exception& e) {
            if (auto why = momentaryReadFailure(e, "")) throwMomentary(e, *why);
            throw Refused(e.what());
        }
        if (sender) {
            rep.sender = sender->site;
            rep.fillNumber = sender->fillNumber;
        }
        if (!confirmed && !reporter.confirm(readQuestion(local))) return Outcome::cancelled();
        ensureTableOrder(local, reporter);

        // Outlive the transactions: after a failure they are on the failing row.
        engine::Query synchroRows(synchro);
        engine::Table localTable(local);
        Journal localJournal, sentJournal;
        std::string table, pass;
        std::optional<ArrivalRules> rules;
        std::optional<ReadContext> context;
        try {
            engine::Transaction synchroTx(synchro);
            // A snapshot: the journal read first and the rows met later are
            // the same moment's, whatever other users commit meanwhile (a row
            // a user deleted after the journal was read would otherwise be
            // inserted again); a row changed since fails as another user's.
            engine::Transaction localTx(local, engine::Database::Isolation::Snapshot);
            // The tool's triggers pass over what this transaction applies.
            local.execute(replica::schema::kPassOverTriggers);
            const RecordCode mark = senderMark(synchro);
            const LocalSite site = LocalSite::read(local);
            const int64_t me = replica::integerOf(local, "select Number from R$Clone where ME = 'Y'");
            const bool master = site.isMaster();
            const std::vector<std::string> order = tableOrder(local);
            // Its journal is there (it is a synchro database), with or
            // without the columns an earlier definition lacks.
            requireTables(synchro, local, order, "synchro database");
            const std::vector<replica::Peer> peers = replica::readPeers(local);
            const replica::Peer* peer = nullptr;
            for (const replica::Peer& p : peers)
                if (sender && p.number == sender->siteNumber) peer = &p;
            // What the triggers captured joins the journal first, in this
            // snapshot: a local change the rows show is then in the journal.
            replica::absorbCaptured(local, {std::nullopt, replica::seenAtClone(peers)});
            replica::stampSeen(local, peers);
            localJournal = Journal::read(local);
            sentJournal = Journal::read(synchro);
            std::optional<ArrivalRules::ReadBefore> before;
            if (peer)
                before = ArrivalRules::ReadBefore{peer->lastRead, markReadBefore(synchro, peer->lastRead),
                                                  acknowledgementOf(synchro, me)};
            rules.emplace(master, me, sender ? sender->siteNumber : kUnknownSender, localJournal, sentJournal,
                          before, Settled::read(local, sender ? sender->siteNumber : kUnknownSender));
            context.emplace(ReadContext{local, reporter, master, mark, *rules, synchroRows, localTable, {}});
            ReadContext& cx = *context;

            for (const std::string& t : order) rep.tables.push_back({t});
            auto each = [&](const char* caption, bool forwards,
                            void (*run)(ReadContext&, const std::string&, ReadReport::Table&)) {
                pass = caption;
                reporter.step(caption);
                reporter.breathe();
                const int n = static_cast<int>(order.size());
                for (int i = 0; i < n; ++i) {
                    const int k = forwards ? i : n - 1 - i;
                    table = order[k];
                    reporter.progress(k, n);
                    run(cx, table, rep.tables[k]);
                    reporter.breathe();
                }
            };
            requireColumnsFit({synchro, "the synchro database"}, {local, "this database"}, order);
            if (!master) {
                pass = "DELETE";
                for (const std::string& t : order) mastersCodesPass(cx, table = t);
            }
            each("DELETE", false, deletePass);
            each("INSERT", true, insertPass);
            each("UPDATE", false, updatePass);
            applyDeferred(cx, rep.tables, table, pass);
            table.clear();
            journalArrivals(local, *rules);
            if (peer) replica::recordRead(local, *peer, sender->fillNumber, acknowledgementOf(synchro, me), nowText());
            // A clone upgraded from a version without identity learns its
            // master's set from the master's first fill it reads.
            if (sender && sender->siteNumber == 0 && sender->set.known() && !replica::readSetIdentity(local).known())
                replica::learnSet(local, sender->set);
            localTx.commit();
            synchroTx.commit();
        } catch (const Refused&) {
            throw;
        } catch (const std::exception& e) {
            // Both transactions are rolled back by now.
            if (auto why = momentaryReadFailure(e, table)) {
                if (localTable.active() && localTable.state() != engine::DataSetState::Browse) localTable.cancel();
                throwMomentary(e, *why);
            }
            // Cancelled: nothing was applied, and nothing is to settle.
            if (engine::failureOf(e) == engine::Failure::Cancelled) throw;
            // A damaged page is no collision to settle: the file (most
            // likely the one that travelled) is refused as it is.
            if (engine::failureOf(e) == engine::Failure::Damaged)
                throw Refused("The read met a damaged database: " + std::string(e.what()) + ". Most likely " +
                              synchro.aliasName() + " was damaged on the way: have it sent again (if it is not, "
                              "check this database with gfix -v). Nothing was changed.");
            if (engine::failureOf(e) == engine::Failure::FileNotWritable)
                throw Refused("The read cannot write this database: " + std::string(e.what()) +
                              ". Make it writable (gfix -mode read_write) and read again. Nothing was changed.");
            // Only a failure on a table's row is a collision; one before or
            // after the passes is the read's failure, as it stands.
            if (table.empty()) throw;
            if (context) rep.collision = collisionOf(*context, table, pass, e.what(), engine::failureOf(e));
            else rep.collision = ReadReport::Collision{table, pass, e.what(), {}, {}, {}, {}, {}, {}, {}, {}};
            throw;
        }
        if (replica::TriggersInactive(local)) reporter.notice("Do not forget make triggers active again!");
        return Outcome::done();
    });
    std::string counts;
    for (const ReadReport::Table& t : rep.tables)
        if (t.inserted + t.sameRow + t.updated + t.deleted)
            counts += (counts.empty() ? "" : ", ") + t.name + " " + std::to_string(t.inserted + t.sameRow) +
                      " inserted " + std::to_string(t.updated) + " updated " + std::to_string(t.deleted) + " deleted";
    replica::logOutcome(local,
                        {"read", rep.sender, rep.fillNumber ? std::optional<int64_t>(rep.fillNumber) : std::nullopt,
                         counts, rep.collision.has_value()},
                        outcome);
    return outcome;
}

}  // namespace quorvel::synchro
