#include "synchro/SynchroIdentity.h"

#include <utility>

#include "engine/DatabaseFacts.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "replica/Acknowledgements.h"
#include "replica/Presence.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"

namespace quorvel::synchro {

namespace {

bool hasTable(engine::Database& db, const std::string& table) {
    engine::Query q(db);
    q.setSql("select count(*) from RDB$Relations where RDB$Relation_Name = :T");
    q.setParam("T", table);
    q.open();
    const bool found = q.field(0).asInteger() > 0;
    q.close();
    return found;
}

std::string nameOf(engine::Database& db) { return db.aliasName().empty() ? db.name() : db.aliasName(); }

// The first object of `db` that could run code or read what is not in it:
// a synchro database holds tables, and what the tool never made there is
// not trusted. Empty when there is none.
std::string codeObject(engine::Database& db) {
    const std::pair<const char*, const char*> kinds[] = {
        {"trigger", "select RDB$Trigger_Name from RDB$Triggers where coalesce(RDB$System_Flag, 0) = 0"},
        {"procedure", "select RDB$Procedure_Name from RDB$Procedures where coalesce(RDB$System_Flag, 0) = 0"},
        {"function", "select RDB$Function_Name from RDB$Functions where coalesce(RDB$System_Flag, 0) = 0"},
        {"package", "select RDB$Package_Name from RDB$Packages where coalesce(RDB$System_Flag, 0) = 0"},
        {"view", "select RDB$Relation_Name from RDB$Relations where RDB$View_Blr is not null and "
                 "coalesce(RDB$System_Flag, 0) = 0"},
        {"external table", "select RDB$Relation_Name from RDB$Relations where RDB$External_File is not null"},
    };
    for (const auto& [kind, sql] : kinds) {
        engine::Query q(db);
        q.setSql(std::string(sql) + " rows 1");
        q.open();
        if (!q.eof()) return std::string(kind) + " " + q.field(0).asString();
    }
    return "";
}

}  // namespace

DatabaseIdentity identify(engine::Database& db) {
    DatabaseIdentity id;
    engine::Transaction tx(db);
    if (hasTable(db, "R$CLONE")) {
        id.kind = DatabaseIdentity::Kind::Replicated;
        engine::Query q(db);
        q.setSql("select Name, Number from R$Clone where ME = 'Y'");
        q.open();
        if (!q.eof()) {
            id.site = q.field(0).asString();
            id.siteNumber = q.field(1).isNull() ? 0 : q.field(1).asInteger();
        }
        q.close();
        return id;
    }
    for (const char* table : {"R$SYNCHRO", "R$DELETEDUPDATED"})
        if (!hasTable(db, table)) {
            id.missingTable = table;
            return id;
        }
    id.kind = DatabaseIdentity::Kind::Synchro;
    id.codeObject = codeObject(db);
    id.format = replica::synchroFormat(db);
    id.hasSenderTable = hasTable(db, "R$SENDER");
    if (id.hasSenderTable) {
        engine::Query q(db);
        q.setSql("select SiteName, SiteNumber, FillNumber, FillDate from R$Sender");
        q.open();
        if (!q.eof() && !q.field(0).isNull())
            id.sender = Sender{q.field(0).asString(), q.field(1).isNull() ? 0 : q.field(1).asInteger(),
                               q.field(2).isNull() ? 0 : q.field(2).asInteger(), q.field(3).asString(), {}};
        q.close();
        if (id.sender && id.format >= 4) {
            q.setSql("select SETID, GENERATION from R$Sender");
            q.open();
            id.sender->set.setId = q.field(0).isNull() ? "" : q.field(0).asString();
            id.sender->set.generation = q.field(1).isNull() ? 0 : q.field(1).asInteger();
            q.close();
        }
    }
    return id;
}

std::string siteText(const std::string& site) { return site == "MASTER" ? "the master" : site; }

std::string notASynchroDatabase(engine::Database& db, const DatabaseIdentity& id, engine::Database& local) {
    const std::string name = nameOf(db);
    // Two attachments name the same file exactly when the server says so.
    if (local.connected() && engine::readDatabaseFacts(db).fileName == engine::readDatabaseFacts(local).fileName)
        return name + " is the local database itself, not a synchro database. Nothing was changed.";
    switch (id.kind) {
        case DatabaseIdentity::Kind::Synchro:
            if (id.format > replica::kSynchroFormat) return replica::newerSynchroMessage(id.format);
            if (!id.codeObject.empty())
                return name + " holds a " + id.codeObject +
                       ": a synchro database holds tables only, and one with code in it is not used. "
                       "Nothing was changed.";
            return "";
        case DatabaseIdentity::Kind::Replicated:
            if (id.site.empty())
                return name + " is a replicated database, not a synchro database. Nothing was changed.";
            return name + " is a replicated database (" + (id.site == "MASTER" ? "the master" : "clone " + id.site) +
                   "), not a synchro database. Nothing was changed.";
        case DatabaseIdentity::Kind::Other:
            break;
    }
    return name + " is not a synchro database: it has no table " + id.missingTable +
           ". Make it from the converted definition. Nothing was changed.";
}

int64_t acknowledgementOf(engine::Database& synchro, int64_t site) {
    if (!replica::TablePresent(synchro, "R$ACKNOWLEDGED")) return 0;
    return replica::integerOf(synchro,
                              "select FillNumber from R$Acknowledged where SiteNumber = " + std::to_string(site));
}

// The sender must be a peer of this site (a clone reads the master's fills,
// the master those of its registered clones), and its fill newer than the
// last one read from it: an older fill would undo what the newer one brought.
void checkSenderIsPeer(engine::Database& local, engine::Database& synchro, const Sender& sender) {
    engine::Transaction tx(local);
    for (const replica::Peer& p : replica::readPeers(local)) {
        if (p.number != sender.siteNumber) continue;
        if (sender.fillNumber <= p.lastRead)
            throw Refused(synchro.aliasName() + " holds " + siteText(sender.site) + "'s fill no. " +
                          std::to_string(sender.fillNumber) + ", but this site has read its fill no. " +
                          std::to_string(p.lastRead) +
                          " already: a fill not newer than the last one read is not read again. "
                          "Nothing was changed.");
        return;
    }
    throw Refused(synchro.aliasName() + " holds the fill of " + siteText(sender.site) +
                  ", which is no peer of this site: a clone reads the master's fills, the master those of its "
                  "registered clones. Nothing was changed.");
}

}  // namespace quorvel::synchro
