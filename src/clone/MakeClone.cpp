// Making a clone in one go: the registration, the master's backup, its
// restore as the clone's database and the clone update, each as its own
// operation runs it.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include "clone/CloneSql.h"
#include "clone/CloneTarget.h"
#include "clone/Gbak.h"
#include "clone/Operations.h"
#include "engine/FirstValue.h"
#include "operation/RunOperation.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "replica/LocalSite.h"
#include "replica/SqlText.h"

namespace fs = std::filesystem;

namespace quorvel::clone {

namespace {

// A name with a host ("host:path", "host/port:path") is opened by a server,
// whose files this process may not see.
bool isServerName(const std::string& name) {
    const auto colon = name.find(':');
    return colon != std::string::npos && name.front() != '/' && name.front() != '.';
}

// A copy of a clone would be a second site with the clone's identity.
void refuseClone(engine::Database& master) {
    const std::string identity = replica::identityOf(master);
    if (identity != "MASTER")
        throw Refused("The local database is " + (identity.empty() ? "no master" : "the clone " + identity) +
                      ": clones are made from the master. Nothing was made.");
}

// A run stopped after the registration (killed, or its backup failed)
// leaves the clone registered with no copy made: run again with the same
// range, it makes the copy instead of refusing the name.
bool registeredWithoutCopy(engine::Database& master, const CloneEntry& entry) {
    engine::Transaction tx(master);
    engine::Query q(master);
    q.setSql("select MaxValue1, MaxValue2, ME from R$Clone where Name = " + replica::quoted(entry.name));
    q.open();
    if (q.eof() || q.field(2).isNull() || q.field(2).asString() != "N") return false;
    return q.field(0).asString() == entry.maxValue1 && q.field(1).asString() == entry.maxValue2;
}

// A backup file of this run's own, removed when the run ends however it ends.
struct TemporaryBackup {
    fs::path path;
    TemporaryBackup() {
        static std::atomic<int> count{0};
        path = fs::temp_directory_path() /
               ("quorvel-make-clone-" + std::to_string(::getpid()) + "-" + std::to_string(++count) + ".fbk");
        std::error_code ec;
        fs::remove(path, ec);
    }
    ~TemporaryBackup() {
        std::error_code ec;
        fs::remove(path, ec);
    }
};

// Once the clone is registered, a failure leaves work behind: the message
// says what was done, why the next step failed (unless its own operation
// said so already) and what is left.
Outcome leftOver(Reporter& reporter, const std::string& done, const std::string& why, bool whyShown,
                 const std::string& left) {
    const std::string shown = done + "\n" + (whyShown ? "" : why + "\n") + "What is left: " + left;
    reporter.error(shown);
    return Outcome::failed(done + "\n" + why + "\nWhat is left: " + left);
}

// After the backup the master is connected again as it was found, if it can
// be: a failure to report is the backup's, or the update's, which connects
// it once more.
void reconnectQuietly(engine::Database& master) {
    try {
        master.connect();
    } catch (...) {
    }
}

}  // namespace

// gbak's restore would refuse an existing database as well, but only after
// the clone was registered and the master backed up. A server's file is
// left to gbak.
void refuseCloneTarget(const std::string& target) {
    if (target.empty()) throw Refused("No database to make the clone in was named: nothing was made.");
    if (isServerName(target)) return;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) throw Refused(target + " exists: nothing was made.");
    const fs::path folder = fs::path(target).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec))
        throw Refused("The folder " + folder.string() + " does not exist: nothing was made.");
}

Outcome MakeClone(engine::Database& master, const MakeCloneInput& input, Reporter& reporter) {
    const std::string& name = input.entry.name;
    const std::string& target = input.target;
    Outcome outcome = runOperation(reporter, [&] {
        refuseCloneTarget(target);
        return Outcome::done();
    });
    if (!outcome.isDone()) return outcome;
    outcome = CheckMasterTakesClones(master, reporter);
    if (!outcome.isDone()) return outcome;
    outcome = runOperation(reporter, [&] {
        refuseClone(master);
        return Outcome::done();
    });
    if (!outcome.isDone()) return outcome;

    if (registeredWithoutCopy(master, input.entry)) {
        reporter.notice("Clone " + name + " is registered already with this range, and no copy was updated as it "
                        "(an earlier run stopped): making its copy.");
    } else {
        reporter.step("Register clone " + name);
        const Registration registration = RegisterClone(master, input.entry, reporter);
        if (!registration.outcome.isDone()) return registration.outcome;
    }

    const std::string registered = "Clone " + name + " is registered at the master.";
    const std::string redo = "delete the clone with \"delete-clone " + name +
                             "\" and make it again, or back the master up, restore the backup at " + target +
                             " and run \"update-clone " + name + "\" on it.";
    const GbakLogin login{master.param("USER NAME"), master.param("PASSWORD")};
    TemporaryBackup backup;
    int64_t number = 0;
    try {
        number = engine::firstInteger(master, sql::numberOf(name)).value_or(0);
        reporter.step("Back up the master");
        const std::string masterName = master.databaseName();
        master.disconnect();
        backUpDatabase(masterName, backup.path.string(), login);
    } catch (const std::exception& e) {
        reconnectQuietly(master);
        return leftOver(reporter, registered + " Its backup was not made.", e.what(), false, redo);
    }
    reconnectQuietly(master);

    reporter.step("Restore the backup at " + target);
    try {
        restoreDatabase(backup.path.string(), target, login);
    } catch (const std::exception& e) {
        std::error_code ec;
        const bool leftBehind = !isServerName(target) && fs::exists(target, ec);
        return leftOver(reporter, registered + " The backup was not restored at " + target + ".", e.what(), false,
                        (leftBehind ? "remove " + target + ", which the failed restore left behind; then " : "") +
                            redo);
    }

    engine::Database made("MadeClone");
    made.setDisplayName("the new clone's database");
    made.setDatabaseName(target);
    made.setParams(master.params());
    // Every way this fails is shown by the operations themselves.
    outcome = runOperation(reporter, [&] {
        master.connect();
        made.connect();
        return UpdateClone(master, made, CloneRow{number, name}, reporter);
    });
    made.disconnect();
    if (!outcome.isDone())
        return leftOver(reporter,
                        registered + " The master's backup is restored at " + target + ", but it was not updated.",
                        outcome.message(), true, "remove " + target + "; then " + redo);
    return Outcome::done();
}

}  // namespace quorvel::clone
