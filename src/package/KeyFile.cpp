// The set's key in a file of its own, for a site that was not copied from
// the master after the key was made. The file is the key: written 0600,
// never shown.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/PrivateFile.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "package/Operations.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SetKey.h"
#include "replica/Statements.h"

namespace quorvel::package {

namespace {

const char* const kFirstLine = "# Quorvel set key: whoever holds this file can read and forge the packages of its set.";

struct KeyFile {
    std::string setId;
    std::optional<replica::KeyBytes> key;
};

KeyFile readKeyFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Refused("Cannot read " + file + ". Nothing was changed.");
    KeyFile k;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line != kFirstLine) break;
        first = false;
        if (line.rfind("set=", 0) == 0) k.setId = line.substr(4);
        if (line.rfind("key=", 0) == 0) k.key = replica::keyFromHex(line.substr(4));
    }
    if (!k.key) throw Refused(file + " holds no Quorvel set key. Nothing was changed.");
    return k;
}

}  // namespace

Outcome ExportKey(engine::Database& local, const std::string& file, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        replica::requireCurrentVersion(local);
        std::optional<replica::SetKey> key;
        {
            engine::Transaction tx(local);
            key = replica::readSetKey(local);
            if (!key && replica::integerOf(local, "select count(*) from R$CLONE where ME = 'Y' and NUMBER = 0") != 0 &&
                replica::makeSetKey(local)) {
                tx.commit();
            }
        }
        if (!key) {
            engine::Transaction tx(local);
            key = replica::readSetKey(local);
        }
        if (!key) throw Refused("This database holds no key of its set: export it at the master. Nothing was written.");
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
            throw Refused(file + " exists: a key file is never written over. Nothing was written.");
        if (!writePrivateFile(file, std::string(kFirstLine) + "\nset=" + key->setId + "\nkey=" +
                                        replica::keyToHex(key->key) + "\n"))
            throw Refused("Cannot write " + file + ". Nothing was written.");
        reporter.notice("The key of set " + key->setId + " is in " + file +
                        " (readable by you alone). Carry it to the site apart from its packages, import it there "
                        "(key import FILE), then delete it.");
        return Outcome::done();
    });
}

Outcome ImportKey(engine::Database& local, const std::string& file, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        replica::requireCurrentVersion(local);
        const KeyFile k = readKeyFile(file);
        engine::Transaction tx(local);
        const replica::SetIdentity set = replica::readSetIdentity(local);
        if (set.known() && !k.setId.empty() && k.setId != set.setId)
            throw Refused(file + " holds the key of another replication set (" + k.setId + "; this database is of " +
                          set.setId + "). Nothing was changed.");
        const std::optional<replica::SetKey> held = replica::readSetKey(local);
        if (held && held->key == *k.key) {
            reporter.notice("This database holds that key already.");
            return Outcome::done();
        }
        if (held && !reporter.confirm("This database holds another key of its set. Packages sealed with it can no "
                                      "longer be opened here. Replace it?"))
            return Outcome::cancelled();
        replica::storeSetKey(local, {set.known() ? set.setId : k.setId, *k.key});
        tx.commit();
        reporter.notice("The key of set " + (set.known() ? set.setId : k.setId) + " is recorded in this database.");
        return Outcome::done();
    });
}

}  // namespace quorvel::package
