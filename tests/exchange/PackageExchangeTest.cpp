// The exchange by sealed packages: a master and two clones that meet only
// through package folders. Packages that are changed, cut short, of another
// set or sealed with another key are refused by name while the others are
// read; packages lost, duplicated and delivered late still bring every site
// to the same rows; send and receive killed at random moments lose nothing.
//
// Short by default; longer: QUORVEL_ROUNDS=20 QUORVEL_KILLS=40.
// A failing run is replayed with the QUORVEL_SEED it printed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "TemplateSitesTest.h"
#include "RandomWork.h"
#include "engine/Database.h"
#include "engine/Transaction.h"
#include "package/PackageHeader.h"
#include "package/Seal.h"
#include "package/SynchroDefinition.h"
#include "package/WorkFolder.h"
#include "replica/SetKey.h"

using namespace quorvel;
using namespace quorvel::test;
using namespace quorvel::test::exchange;
namespace fs = std::filesystem;

namespace {

struct Site {
    std::string alias, name;
};
const Site kMaster{"M", "master"};
const Site kWest{"W", "WEST"};
const Site kEast{"E", "EAST"};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class PackageExchangeTest : public TemplateSitesTest {
protected:
    void SetUp() override {
        TemplateSitesTest::SetUp();
        ::setenv("TMPDIR", ws.dir().c_str(), 1);
        const CliRun made = cli({"--local", "M", "make-clone", "EAST", "--max1", "2", "--max2", "1000000000",
                                 ws.path("east.fdb")});
        ASSERT_EQ(made.status, 0) << made.text();
        ASSERT_EQ(cli({"aliases", "add", "E", ws.path("east.fdb")}).status, 0);
        for (const Site& s : sites()) {
            fs::create_directories(inbox(s));
            fs::create_directories(outbox(s));
        }
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }

    static const std::vector<Site>& sites() {
        static const std::vector<Site> all = {kMaster, kWest, kEast};
        return all;
    }
    std::string inbox(const Site& s) const { return ws.path("in-" + s.alias); }
    std::string outbox(const Site& s) const { return ws.path("out-" + s.alias); }

    CliRun run(const Site& s, std::vector<std::string> args) {
        args.insert(args.begin(), {"--local", s.alias});
        return cli(args);
    }
    // The one package a send just wrote into the site's outbox, taken out of it.
    std::string sendOne(const Site& s) {
        const CliRun r = run(s, {"send", outbox(s), "--json"});
        EXPECT_EQ(r.status, 0) << r.text();
        EXPECT_NE(r.out.find(R"("outcome":"done","exitStatus":0)"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(R"("sent":{"file":")"), std::string::npos) << r.out;
        std::string found;
        for (const auto& e : fs::directory_iterator(outbox(s)))
            if (e.path().extension() == ".qvp") found = e.path().string();
        const std::string taken = ws.path("sent-" + std::to_string(++sent_) + ".qvp");
        fs::rename(found, taken);
        return taken;
    }
    // Who reads a site's packages: the master's go to every clone, a clone's to the master.
    static std::vector<Site> readersOf(const Site& s) {
        if (s.alias == "M") return {kWest, kEast};
        return {kMaster};
    }
    void deliver(const std::string& package, const Site& to, const std::string& as) {
        fs::copy_file(package, inbox(to) + "/" + as, fs::copy_options::overwrite_existing);
    }
    // Every clone sends, the master receives and sends, every clone receives.
    void quietRound() {
        for (const Site& c : {kWest, kEast}) deliver(sendOne(c), kMaster, "from-" + c.alias + ".qvp");
        ASSERT_EQ(run(kMaster, {"receive", inbox(kMaster)}).status, 0);
        const std::string m = sendOne(kMaster);
        for (const Site& c : {kWest, kEast}) {
            deliver(m, c, "from-M.qvp");
            const CliRun r = run(c, {"receive", inbox(c)});
            ASSERT_EQ(r.status, 0) << r.text();
        }
    }
    void expectAllAlike() {
        const Dump master = dump("M");
        for (const Site& c : {kWest, kEast})
            EXPECT_EQ(differences(master, dump(c.alias), "master", c.name), "");
    }
    // A few random changes at a site, as the convergence tests make them.
    void randomChanges(std::mt19937_64& rnd, size_t s, int ops) {
        const Site& site = sites()[s];
        const Keys keys = keysAt(site.alias);
        Keys free;
        for (const auto& [table, all] : keys)
            for (size_t i = 0; i < all.size(); ++i)
                if (i < 6 || i + 3 >= all.size()) free[table].push_back(all[i]);
        std::vector<std::string> work;
        randomWork(rnd, workers_[s], "in package round", ops, free, keys, work, written_);
        sql(site.alias, work);
    }

    int sent_ = 0;
    std::vector<Worker> workers_ = {{"master", "M"}, {"WEST", "W"}, {"EAST", "E"}};
    Written written_;
};

// The definition made from the catalogue is the one the extract's
// conversion gives: same columns, types, character sets, NOT NULL and keys.
TEST_F(PackageExchangeTest, TheSynchroDefinitionFromTheCatalogueIsTheConvertedOne) {
    const std::string made = ws.path("from-catalogue.fdb");
    {
        engine::Database m("M");
        Workspace::connect(m, "M");
        engine::Transaction tx(m);
        package::makeSynchroDatabase(m, made);
    }
    ASSERT_EQ(cli({"aliases", "add", "Made", made}).status, 0);
    const std::string columns =
        "select trim(RF.RDB$Relation_Name) || '.' || trim(RF.RDB$Field_Name) || ' ' || F.RDB$Field_Type || '/' || "
        "coalesce(F.RDB$Field_Length, 0) || '/' || coalesce(F.RDB$Field_Scale, 0) || '/' || "
        "coalesce(F.RDB$Field_Sub_Type, 0) || '/' || coalesce(F.RDB$Character_Set_Id, 0) || '/' || "
        "coalesce(F.RDB$Dimensions, 0) || ' ' || coalesce(RF.RDB$Null_Flag, F.RDB$Null_Flag, 0) "
        "from RDB$Relation_Fields RF join RDB$Fields F on F.RDB$Field_Name = RF.RDB$Field_Source "
        "join RDB$Relations R on R.RDB$Relation_Name = RF.RDB$Relation_Name "
        "where coalesce(R.RDB$System_Flag, 0) = 0 order by 1";
    const std::string keys =
        "select trim(C.RDB$Relation_Name) || ' ' || trim(S.RDB$Field_Name) || ' ' || S.RDB$Field_Position "
        "from RDB$Relation_Constraints C join RDB$Index_Segments S on S.RDB$Index_Name = C.RDB$Index_Name "
        "where C.RDB$Constraint_Type = 'PRIMARY KEY' order by 1";
    EXPECT_EQ(column("Made", columns), column("SM", columns));
    EXPECT_EQ(column("Made", keys), column("SM", keys));
}

// Changed, cut short, of another set, sealed with another key, or met at a
// site without the key: refused by name, nothing of it applied, and the
// sound package beside it read. The key file is the owner's alone, and the
// key never shows in the package or the output.
TEST_F(PackageExchangeTest, UnsoundPackagesAreRefusedByNameAndTheOthersRead) {
    sql("W", {"update CUSTOMER set CITY = 'Sent in a package' where ID = 1"});
    const std::string good = sendOne(kWest);
    const std::string bytes = readFile(good);
    std::optional<replica::SetKey> key;
    {
        engine::Database w("W");
        Workspace::connect(w, "W");
        engine::Transaction tx(w);
        key = replica::readSetKey(w);
    }
    ASSERT_TRUE(key);
    const std::string hex = replica::keyToHex(key->key);
    EXPECT_EQ(bytes.find(hex), std::string::npos);

    // A package sealed by whoever does not hold this set's key.
    auto forged = [&](const std::string& setId) {
        package::PackageHeader h;
        h.format = package::kPackageFormat;
        h.setId = setId;
        h.sender = "WEST";
        h.senderNumber = 1;
        h.fillNumber = 999;
        const std::string content = ws.path("content"), out = ws.path("forged-" + setId.substr(0, 4) + ".qvp");
        writeFile(content, "not a backup");
        replica::KeyBytes other{};
        other[0] = 7;
        package::seal(other, setId, h.text(), content, out);
        return readFile(out);
    };
    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x01;
    const struct {
        std::string name, bytes, said;
    } cases[] = {
        {"a-changed-byte.qvp", flipped, "was changed on the way"},
        {"b-cut-short.qvp", bytes.substr(0, bytes.size() - 40), "is cut short"},
        {"c-another-set.qvp", forged("00000000-0000-0000-0000-000000000000"), "belongs to another replication set"},
        {"d-another-key.qvp", forged(key->setId), "cannot be opened with this site's key"},
        {"e-no-package.qvp", "hello", "is no Quorvel package"},
        // A name the courier chose, with a terminal's escape in it: shown escaped.
        {"f-\x1b[2J.qvp", "hello", "is no Quorvel package"},
    };
    for (const auto& c : cases) writeFile(inbox(kMaster) + "/" + c.name, c.bytes);
    deliver(good, kMaster, "z-good.qvp");

    // Without the key nothing is read, the sound package included.
    const std::string keyFile = ws.path("set.key");
    ASSERT_EQ(run(kMaster, {"key", "export", keyFile}).status, 0);
    struct stat st{};
    ASSERT_EQ(::stat(keyFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    sql("M", {"delete from R$SETKEY"});
    const std::string before = column("M", "select CITY from CUSTOMER where ID = 1")[0];
    CliRun r = run(kMaster, {"receive", inbox(kMaster)});
    EXPECT_EQ(r.status, 3) << r.text();
    EXPECT_NE(r.err.find("z-good.qvp cannot be opened: this site holds no key"), std::string::npos) << r.text();
    EXPECT_EQ(column("M", "select CITY from CUSTOMER where ID = 1")[0], before);

    ASSERT_EQ(run(kMaster, {"key", "import", keyFile}).status, 0);
    r = run(kMaster, {"receive", inbox(kMaster)});
    EXPECT_EQ(r.status, 3) << r.text();
    for (const auto& c : cases) {
        std::string shown = c.name;
        if (const auto esc = shown.find('\x1b'); esc != std::string::npos) shown.replace(esc, 1, "\\x1b");
        EXPECT_NE(r.err.find(shown + " " + c.said), std::string::npos) << c.name << "\n" << r.text();
        EXPECT_TRUE(fs::exists(inbox(kMaster) + "/" + c.name)) << c.name;
    }
    EXPECT_NE(r.out.find("z-good.qvp: read"), std::string::npos) << r.text();
    EXPECT_TRUE(fs::exists(inbox(kMaster) + "/read/z-good.qvp"));
    EXPECT_EQ(column("M", "select CITY from CUSTOMER where ID = 1")[0], "Sent in a package");
    EXPECT_EQ((r.out + r.err).find(hex), std::string::npos);
    EXPECT_EQ((r.out + r.err).find('\x1b'), std::string::npos) << "no escape reaches the terminal";

    // The same package again is put away unread.
    deliver(good, kMaster, "z-good-again.qvp");
    for (const auto& c : cases) fs::remove(inbox(kMaster) + "/" + c.name);
    r = run(kMaster, {"receive", inbox(kMaster)});
    EXPECT_EQ(r.status, 0) << r.text();
    EXPECT_NE(r.out.find("z-good-again.qvp: read before"), std::string::npos) << r.text();

    // While another exchange holds the inbox, a second one does nothing and says "later".
    package::FolderLock held(inbox(kMaster));
    ASSERT_TRUE(held.held());
    r = run(kMaster, {"exchange", "--inbox", inbox(kMaster), "--outbox", outbox(kMaster)});
    EXPECT_EQ(r.status, 5) << r.text();
    EXPECT_EQ(run(kMaster, {"receive", inbox(kMaster)}).status, 5) << "a plain receive waits too";
    for (const auto& e : fs::directory_iterator(outbox(kMaster)))
        EXPECT_NE(e.path().extension(), ".qvp") << "sent while another exchange ran";

    // What a killed send left, in the outbox and in the temporary folder,
    // goes with the next send; a living run's temporary folder stays.
    const std::string partial = outbox(kMaster) + "/.quorvel-0-MASTER-000009.qvp.partial";
    writeFile(partial, "half");
    const fs::path abandoned = fs::temp_directory_path() / "quorvel-package-test01";
    fs::create_directories(abandoned);
    writeFile((abandoned / ".alive").string(), "");
    ASSERT_EQ(run(kMaster, {"send", outbox(kMaster)}).status, 0);
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_FALSE(fs::exists(abandoned));
}

// Random work at three sites between exchanges whose packages are lost,
// duplicated, held back and delivered out of order; after quiet rounds every
// site holds the same rows.
TEST_F(PackageExchangeTest, SitesExchangingOnlyPackagesEndEqualDespiteAPoorCourier) {
    const uint64_t seed = seedOf("SitesExchangingOnlyPackagesEndEqualDespiteAPoorCourier");
    std::mt19937_64 rnd(seed);
    auto chance = [&](double p) { return std::uniform_real_distribution<>(0, 1)(rnd) < p; };
    struct Held {
        std::string package;
        Site to;
        std::string as;
    };
    std::vector<Held> late;
    int lost = 0, duplicated = 0, delayed = 0;
    const int steps = envInt("QUORVEL_ROUNDS", 4) * 3;
    for (int step = 0; step < steps; ++step) {
        const size_t s = std::uniform_int_distribution<size_t>(0, 2)(rnd);
        const Site site = sites()[s];
        randomChanges(rnd, s, 1 + static_cast<int>(rnd() % 4));
        const CliRun r = run(site, {"exchange", "--inbox", inbox(site), "--outbox", outbox(site)});
        ASSERT_EQ(r.status, 0) << "seed " << seed << "\n" << r.text();
        for (const auto& e : fs::directory_iterator(outbox(site))) {
            if (e.path().extension() != ".qvp") continue;
            const std::string taken = ws.path("sent-" + std::to_string(++sent_) + ".qvp");
            fs::rename(e.path(), taken);
            for (const Site& to : readersOf(site)) {
                const std::string as = std::to_string(sent_) + ".qvp";
                if (chance(0.2)) { ++lost; continue; }
                if (chance(0.25)) { ++delayed; late.push_back({taken, to, as}); continue; }
                deliver(taken, to, as);
                if (chance(0.2)) { ++duplicated; deliver(taken, to, "again-" + as); }
            }
        }
        // Some held back arrive now, after newer ones.
        for (auto it = late.begin(); it != late.end();)
            if (chance(0.4)) {
                deliver(it->package, it->to, it->as);
                it = late.erase(it);
            } else {
                ++it;
            }
    }
    for (const Held& h : late) deliver(h.package, h.to, h.as);
    for (int i = 0; i < 2; ++i) quietRound();
    std::cout << "seed " << seed << ": " << lost << " lost, " << duplicated << " duplicated, " << delayed
              << " delayed\n";
    expectAllAlike();
}

// send and receive killed (SIGKILL, with the gbak they started) at random
// moments, then run again: nothing is lost and every site ends equal.
TEST_F(PackageExchangeTest, SendAndReceiveKilledAtRandomMomentsLoseNothing) {
    const uint64_t seed = seedOf("SendAndReceiveKilledAtRandomMomentsLoseNothing");
    std::mt19937_64 rnd(seed);
    const int kills = envInt("QUORVEL_KILLS", 6);
    int finishedAnyway = 0;
    for (int k = 0; k < kills; ++k) {
        const size_t s = std::uniform_int_distribution<size_t>(0, 2)(rnd);
        const Site site = sites()[s];
        randomChanges(rnd, s, 2);
        const bool sending = k % 2 == 0;
        const std::vector<std::string> args = {"--local", site.alias, sending ? "send" : "receive",
                                               sending ? outbox(site) : inbox(site)};
        const int64_t waitMs = std::uniform_int_distribution<int64_t>(0, 400)(rnd);
        const std::string log = ws.path("kill-" + std::to_string(k) + ".log");
        const pid_t pid = spawnCli(args, log);
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        ::kill(-pid, SIGKILL);
        int status = 0;
        bool killed = false;
        reap(pid, &status, &killed);
        if (!killed) ++finishedAnyway;
        // Whatever was sent reaches its readers; the killed step runs again.
        const CliRun again = run(site, {sending ? "send" : "receive", sending ? outbox(site) : inbox(site)});
        ASSERT_EQ(again.status, 0) << "seed " << seed << " kill " << k << "\n" << again.text();
        for (const auto& e : fs::directory_iterator(outbox(site))) {
            if (e.path().extension() != ".qvp") continue;
            for (const Site& to : readersOf(site)) deliver(e.path().string(), to, e.path().filename().string());
            fs::remove(e.path());
        }
    }
    for (int i = 0; i < 2; ++i) quietRound();
    std::cout << "seed " << seed << ": " << kills << " kills, " << finishedAnyway << " finished before\n";
    expectAllAlike();
    for (const auto& [row, bySite] : written_.updates) {
        if (written_.gone.count(row)) continue;
        const auto colon = row.find(':');
        const Shape& shape = shapeOf(row.substr(0, colon));
        const auto now = column("M", "select " + shape.marker + " from " + shape.table + " where " +
                                         where(shape, row.substr(colon + 1)));
        bool some = false;
        for (const auto& [site, marker] : bySite) some = some || (!now.empty() && now[0] == marker);
        EXPECT_TRUE(some) << row << " holds none of the values written to it";
    }
}

}  // namespace
