// The send: a fresh synchro database filled by the ordinary fill, backed up
// with gbak, sealed into one file in the outbox.
#include <optional>
#include <cstdio>
#include <filesystem>

#include "clone/Gbak.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "package/Operations.h"
#include "package/PackageFiles.h"
#include "package/Seal.h"
#include "package/SynchroDefinition.h"
#include "package/WorkFolder.h"
#include "replica/Presence.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SetKey.h"
#include "replica/Statements.h"
#include "synchro/Operations.h"
#include "synchro/SynchroIdentity.h"

namespace quorvel::package {

namespace {

// The key of this site; the master makes its set's key at its first send.
replica::SetKey keyForSending(engine::Database& local) {
    engine::Transaction tx(local);
    std::optional<replica::SetKey> key = replica::readSetKey(local);
    if (!key && replica::integerOf(local, "select count(*) from R$CLONE where ME = 'Y' and NUMBER = 0") != 0) {
        replica::makeSetKey(local);
        tx.commit();
        engine::Transaction again(local);
        key = replica::readSetKey(local);
    }
    if (!key)
        throw Refused("This site holds no key of its replication set, which seals the packages: export it at the "
                      "master (key export FILE) and import it here (key import FILE). Nothing was sent.");
    return *key;
}

std::vector<std::pair<int64_t, int64_t>> acknowledgements(engine::Database& synchro) {
    std::vector<std::pair<int64_t, int64_t>> acks;
    engine::Transaction tx(synchro);
    engine::Query q(synchro);
    q.setSql("select SITENUMBER, coalesce(FILLNUMBER, 0) from R$ACKNOWLEDGED order by SITENUMBER");
    q.open();
    for (; !q.eof(); q.next()) acks.emplace_back(q.field(0).asInteger(), q.field(1).asInteger());
    return acks;
}

// The pages the cache of a package's synchro database holds, written into
// it before the backup (gbak carries the number): the read goes through the
// file row after row and gains nothing from the server's default cache (16
// MB at 8 KB pages), and the receiver's restore, which makes the indexes
// with all the sort memory the server allows, and its read keep within
// their memory bound at a million rows.
constexpr int kPackagePageBuffers = 256;

void keepCacheSmall(const std::string& synchroFile) {
    engine::Database::setPageBuffers(synchroFile, kPackagePageBuffers);
}

}  // namespace

Outcome SendPackage(engine::Database& local, const std::string& dir, Reporter& reporter, SendReport* report) {
    return sendPackage(local, dir, reporter, report, true);
}

Outcome sendPackage(engine::Database& local, const std::string& dir, Reporter& reporter, SendReport* report,
                    bool takeLock) {
    SendReport unused;
    SendReport& rep = report ? *report : unused;
    rep = {};
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        if (!isFolder(dir)) throw Refused(dir + " is no folder. Nothing was sent.");
        // One run at a time in a folder; under the lock, what a killed send
        // left there goes.
        std::optional<FolderLock> lock;
        if (takeLock) lock.emplace(dir);
        refuseIfHeldElsewhere(lock, dir, "Nothing was sent.");
        removeLeftovers(dir);
        replica::requireCurrentVersion(local);
        const replica::SetKey key = keyForSending(local);
        std::string incarnation;
        replica::SetIdentity set;
        {
            engine::Transaction tx(local);
            set = replica::readSetIdentity(local);
            incarnation = replica::textOf(local, "select CREATED from R$IDENTITY");
        }
        const std::string setId = set.known() ? set.setId : key.setId;
        if (!key.setId.empty() && !setId.empty() && key.setId != setId)
            throw Refused("The key held here is of another replication set than this database's: import this "
                          "set's key (key import FILE). Nothing was sent.");

        WorkFolder work;
        const std::string synchroFile = work.path("synchro.fdb"), backup = work.path("synchro.fbk");
        reporter.step("Make the synchro database");
        {
            engine::Transaction tx(local);
            makeSynchroDatabase(local, synchroFile);
        }
        engine::Database synchro("SynchroDB");
        synchro.setAliasName("the package's synchro database");
        synchro.setDatabaseName(synchroFile);
        synchro.setParams({"USER NAME=SYSDBA", "PASSWORD="});
        synchro.connect();
        synchro::FillReport fill;
        const Outcome filled = synchro::FillSynchro(local, synchro, reporter, &fill);
        if (!filled.isDone()) return filled;
        const synchro::DatabaseIdentity id = synchro::identify(synchro);
        if (!id.sender) throw std::runtime_error("The fill wrote no sender into the synchro database.");

        PackageHeader& h = rep.header;
        h.format = kPackageFormat;
        h.setId = setId;
        h.generation = set.generation;
        h.sender = id.sender->site;
        h.senderNumber = id.sender->siteNumber;
        h.incarnation = incarnation;
        h.fillNumber = id.sender->fillNumber;
        h.fillDate = id.sender->date;
        h.journalEntries = fill.journalEntries;
        h.acknowledged = acknowledgements(synchro);
        for (const auto& t : fill.tables) h.tableRows.emplace_back(t.name, t.rows);
        synchro.disconnect();
        keepCacheSmall(synchroFile);

        reporter.step("Pack the fill");
        clone::backUpDatabase(synchroFile, backup, {"SYSDBA", ""});
        const std::string name = packageName(setId, h.sender, h.fillNumber);
        const std::string partial = dir + "/." + name + ".partial", target = dir + "/" + name;
        try {
            seal(key.key, setId, h.text(), backup, partial);
            std::filesystem::rename(partial, target);
        } catch (...) {
            std::remove(partial.c_str());
            throw;
        }
        rep.file = target;
        rep.bytes = std::filesystem::file_size(target);
        reporter.notice("Sent " + name + " (" + std::to_string(rep.bytes) + " bytes): fill no. " +
                        std::to_string(h.fillNumber) + " of " + synchro::siteText(h.sender) + ".");
        return Outcome::done();
    });
}

}  // namespace quorvel::package
