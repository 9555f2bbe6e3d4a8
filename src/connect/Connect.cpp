#include "connect/Connect.h"

#include <exception>
#include <string>

#include "connect/DialectCheck.h"
#include "engine/Aliases.h"
#include "engine/Error.h"
#include "engine/FirstValue.h"
#include "operation/RunOperation.h"
#include "replica/LocalSite.h"
#include "replica/SchemaVersion.h"

namespace quorvel::connect {

namespace {

const char* kMetaPresent = "select count(*) from RDB$Relations where RDB$Relation_Name = 'R$CLONE'";
const char* kTriggerState = "select gen_id(R$Trig, 0) from RDB$DATABASE";

// What failed, by the server's error code, then the server's own message:
// only a refused login is blamed on the user name or the password.
std::string connectionFailure(const std::string& alias, const std::exception& e) {
    const char* what = nullptr;
    switch (engine::failureOf(e)) {
        case engine::Failure::LoginRefused: return std::string("Incorrect User Name or Password: ") + e.what();
        case engine::Failure::FileMissing: what = "there is no database file at that path"; break;
        case engine::Failure::FileNotDatabase:
            what = "the file is not a whole Firebird database (truncated, empty or corrupt)";
            break;
        case engine::Failure::FileNotWritable:
            what = "the database file cannot be opened for writing (a read-only file, or no permission)";
            break;
        case engine::Failure::FileInUse:
            what = "another process holds the database file (close it there, or reach it through a server)";
            break;
        case engine::Failure::ConnectionLost:
            what = "the server could not be reached, or the database is shut down";
            break;
        case engine::Failure::Damaged: what = "the database file is damaged"; break;
        default: break;
    }
    std::string text = "Cannot connect to " + alias + ": ";
    if (what) text += std::string(what) + ".\n";
    return text + e.what();
}

}  // namespace

Outcome Connect(engine::Database& db, const Login& login, Reporter& reporter) {
    db.disconnect();
    db.setAliasName(login.alias);
    // The alias file's USER NAME, PASSWORD, ROLE NAME and LC_CTYPE serve
    // where the login gives none; the login's win.
    std::string user = login.user, password = login.password, role = login.role, charset;
    try {
        for (const std::string& line : engine::Aliases::parameters(login.alias)) {
            const auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            if (key == "USER NAME" && user.empty()) user = value;
            if (key == "PASSWORD" && password.empty()) password = value;
            if (key == "ROLE NAME" && role.empty()) role = value;
            if (key == "LC_CTYPE") charset = value;
        }
    } catch (const std::exception&) {
        // No such alias: the connection says so.
    }
    std::vector<std::string> params{"USER NAME=" + (user.empty() ? std::string("SYSDBA") : user),
                                    "PASSWORD=" + password};
    if (!role.empty()) params.push_back("ROLE NAME=" + role);
    if (!charset.empty()) params.push_back("LC_CTYPE=" + charset);
    db.setParams(params);
    try {
        db.connect();
    } catch (const std::exception& e) {
        const std::string why = connectionFailure(login.alias, e);
        reporter.error(why);
        return Outcome::failed(why, engine::failureOf(e));
    }
    Outcome outcome = runOperation(reporter, [&] {
        refuseOtherDialect(db, login.alias);
        // Once per connection, not from each operation: an older database
        // of the tool's is upgraded, a newer one or a newer synchro file
        // refused before anything changes.
        replica::upgradeOnConnect(db, reporter);
        return Outcome::done();
    });
    if (!outcome.isDone()) db.disconnect();
    return outcome;
}

LocalFacts ReadLocalFacts(engine::Database& local) {
    LocalFacts facts;
    if (!local.connected()) return facts;
    try {
        facts.prepared = engine::firstInteger(local, kMetaPresent).value_or(0) != 0;
        if (!facts.prepared) return facts;
        facts.identity = replica::identityOf(local);
        facts.triggersInactive = engine::firstInteger(local, kTriggerState).value_or(0) != 0;
        facts.triggerStateKnown = true;
    } catch (const std::exception&) {
        // Half prepared (no R$Trig): no exchange applies to it.
        facts.triggersInactive = false;
    }
    return facts;
}

LocalConnection ConnectLocal(engine::Database& local, const Login& login, Reporter& reporter) {
    Outcome outcome = Connect(local, login, reporter);
    if (!outcome.isDone()) return {outcome, {}};
    return {outcome, ReadLocalFacts(local)};
}

void Reconnect(engine::Database& db) {
    db.disconnect();
    db.connect();
}

}  // namespace quorvel::connect
