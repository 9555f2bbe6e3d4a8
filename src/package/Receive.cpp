// The receive: every package in the inbox checked whole before anything
// changes, then the sound ones read with the ordinary read, in fill order
// per sender, each moved into DIR/read once read.
#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

#include "clone/Gbak.h"
#include "engine/Error.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "package/Operations.h"
#include "package/PackageFiles.h"
#include "package/Seal.h"
#include "package/WorkFolder.h"
#include "replica/Acknowledgements.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SetKey.h"
#include "synchro/Operations.h"
#include "synchro/SynchroIdentity.h"

namespace quorvel::package {

namespace {

using Kind = ReceiveReport::Kind;

struct Sound {
    std::string name, content;
    PackageHeader header;
};

std::optional<replica::Peer> peerOf(engine::Database& local, int64_t number, const std::string& name) {
    engine::Transaction tx(local);
    for (const replica::Peer& p : replica::readPeers(local))
        if (p.number == number && p.name == name) return p;
    return std::nullopt;
}

// Whether the restored synchro database is the one the header describes.
std::string contentDisagrees(engine::Database& synchro, const PackageHeader& h) {
    const synchro::DatabaseIdentity id = synchro::identify(synchro);
    if (id.kind != synchro::DatabaseIdentity::Kind::Synchro || !id.codeObject.empty())
        return "its content is no plain synchro database";
    if (!id.sender || id.sender->siteNumber != h.senderNumber || id.sender->site != h.sender ||
        id.sender->fillNumber != h.fillNumber ||
        (id.sender->set.known() && (id.sender->set.setId != h.setId || id.sender->set.generation != h.generation)))
        return "its content is not the fill its header names";
    return "";
}

// "it holds ... again. Nothing was changed." as "holds ... again": the
// reason alone, for a refusal that names the package.
std::string withoutEnding(std::string why) {
    const std::string tail = ". Nothing was changed.";
    if (why.rfind("it ", 0) == 0) why.erase(0, 3);
    if (why.size() >= tail.size() && why.compare(why.size() - tail.size(), tail.size(), tail) == 0)
        why.resize(why.size() - tail.size());
    return why;
}

}  // namespace

int ReceiveReport::count(Kind kind) const {
    return static_cast<int>(std::count_if(items.begin(), items.end(), [&](const Item& i) { return i.kind == kind; }));
}

Outcome ReceivePackages(engine::Database& local, const std::string& dir, Reporter& reporter, ReceiveReport* report) {
    return receivePackages(local, dir, reporter, report, true);
}

Outcome receivePackages(engine::Database& local, const std::string& dir, Reporter& reporter, ReceiveReport* report,
                        bool takeLock) {
    ReceiveReport unused;
    ReceiveReport& rep = report ? *report : unused;
    rep = {};
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        if (!isFolder(dir)) throw Refused(dir + " is no folder. Nothing was read.");
        std::optional<FolderLock> lock;
        if (takeLock) lock.emplace(dir);
        refuseIfHeldElsewhere(lock, dir, "Nothing was read.");
        replica::requireCurrentVersion(local);
        std::optional<replica::SetKey> key;
        std::string setId;
        replica::SetIdentity here;
        {
            engine::Transaction tx(local);
            key = replica::readSetKey(local);
            here = replica::readSetIdentity(local);
            setId = here.setId;
        }
        if (setId.empty() && key) setId = key->setId;

        auto refuse = [&](const std::string& name, const std::string& why) {
            rep.items.push_back({name, Kind::Refused, "", 0, why});
            reporter.error(name + " " + why + ": refused, left where it is.");
        };

        // Every package checked whole first.
        WorkFolder work;
        std::vector<Sound> sound;
        int n = 0;
        reporter.step("Check the packages");
        for (const std::string& name : packagesIn(dir)) {
            const std::string path = dir + "/" + name;
            try {
                const ClearPart clear = readClearPart(path);
                if (!key) throw BadPackage("cannot be opened: this site holds no key of its set (key import FILE)");
                if (!setId.empty() && clear.setId != setId)
                    throw BadPackage("belongs to another replication set (" + clear.setId + ")");
                Sound s{name, work.path(std::to_string(++n) + ".fbk"), {}};
                const std::string text = unseal(key->key, path, s.content);
                try {
                    s.header = PackageHeader::parse(text);
                } catch (const std::exception& e) {
                    throw BadPackage(e.what());
                }
                if (s.header.format != kPackageFormat || s.header.content != "gbak" || s.header.setId != clear.setId)
                    throw BadPackage("has a header this Quorvel does not read");
                // Another arming of the master: its record codes name other rows.
                if (const std::string why = replica::foreignFill(
                        here, {s.header.setId, s.header.generation}, "it", synchro::siteText(s.header.sender),
                        s.header.senderNumber == 0);
                    !why.empty())
                    throw BadPackage(withoutEnding(why));
                sound.push_back(std::move(s));
            } catch (const BadPackage& e) {
                refuse(name, e.what());
            }
        }
        std::stable_sort(sound.begin(), sound.end(), [](const Sound& a, const Sound& b) {
            return std::tie(a.header.senderNumber, a.header.fillNumber) <
                   std::tie(b.header.senderNumber, b.header.fillNumber);
        });

        std::optional<Outcome> firstFailure;
        std::map<int64_t, bool> stopped;  // senders whose read stopped: their later fills wait
        for (const Sound& s : sound) {
            const PackageHeader& h = s.header;
            ReceiveReport::Item item{s.name, Kind::Read, h.sender, h.fillNumber, ""};
            const std::optional<replica::Peer> peer = peerOf(local, h.senderNumber, h.sender);
            if (!peer) {
                item.kind = Kind::NotForHere;
                item.why = "a fill of " + synchro::siteText(h.sender) + ", which is no peer of this site";
                rep.items.push_back(item);
                continue;
            }
            if (h.fillNumber <= peer->lastRead) {
                moveToRead(dir, s.name);
                item.kind = Kind::AlreadyRead;
                rep.items.push_back(item);
                continue;
            }
            if (stopped[h.senderNumber]) {
                item.kind = Kind::NotRead;
                item.why = "an earlier fill of " + synchro::siteText(h.sender) + " was not read";
                rep.items.push_back(item);
                continue;
            }
            reporter.step("Read " + s.name);
            const std::string file = work.path(std::to_string(++n) + ".fdb");
            engine::Database synchro("SynchroDB");
            synchro.setForeign(true);
            synchro.setAliasName(s.name);
            synchro.setDatabaseName(file);
            synchro.setParams({"USER NAME=SYSDBA", "PASSWORD="});
            std::string disagrees;
            try {
                clone::restoreDatabase(s.content, file, {"SYSDBA", ""});
                synchro.connect();
                disagrees = contentDisagrees(synchro, h);
            } catch (const std::exception& e) {
                synchro.disconnect();
                disagrees = std::string("its content cannot be restored: ") + e.what();
            }
            if (!disagrees.empty()) {
                synchro.disconnect();
                refuse(s.name, disagrees);
                continue;
            }
            synchro::ReadReport read;
            const Outcome o = synchro::ReadFromSynchro(local, synchro, reporter, &read, true);
            synchro.disconnect();
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
            if (o.isDone()) {
                moveToRead(dir, s.name);
                rep.items.push_back(item);
                continue;
            }
            stopped[h.senderNumber] = true;
            item.kind = Kind::NotRead;
            item.why = o.message();
            if (read.collision) rep.collision = true;
            rep.items.push_back(item);
            if (!firstFailure) firstFailure = o;
        }
        if (firstFailure) return *firstFailure;
        if (const int refused = rep.count(Kind::Refused))
            return Outcome::refused(std::to_string(refused) + " package(s) refused; the others were read.");
        return Outcome::done();
    });
}

}  // namespace quorvel::package
