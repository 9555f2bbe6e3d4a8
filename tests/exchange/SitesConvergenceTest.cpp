// A master and three clones made with make-clone, exchanging in random
// orders: random inserts, updates and deletes at every site, fills and reads
// at random sites, some files never read (lost), some sites filling twice
// before anyone reads, some reads of an older file (refused as not newer);
// never "Success". Every few steps full rounds (every clone fills, the master
// reads them all and fills, every clone reads) bring all four sites to the
// same rows, codes and BLOBs included; where the master and a clone updated a
// row concurrently the master's version stands, and no update made at one
// site alone is lost. The second test kills (SIGKILL) fills and reads at
// random moments in the same harness and runs them again.
//
// The third test adds the life of real sites: now and then a clone is
// deleted and made again, or restored from a backup taken at the start of
// the period (where no insert draws a code) and re-registered; what it alone held since is lost with it, and the sites
// still converge.
//
// The fourth test lets sites insert TAG rows of the same few keys: a read
// that meets one stops, and its site settles it at once (keeping its values
// or taking the sent ones) and reads again; every site must still end alike,
// each key under one record code.
//
// Short by default; the long run:
//   QUORVEL_ROUNDS=50 QUORVEL_KILLS=40 ctest -R SitesConvergence --timeout 7200 --output-on-failure
// A failing run is replayed with the QUORVEL_SEED it printed.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>

#include "cli/Help.h"
#include "ExchangeSites.h"
#include "RandomWork.h"
#include "clone/Gbak.h"
#include "engine/Aliases.h"
#include "support/Workspace.h"

using namespace quorvel::test;
using namespace quorvel::test::exchange;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

void require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

struct Site {
    std::string alias, name, file, letter;
    bool master;
};
// The clones' bounds rise with their numbers.
const std::vector<Site> kSites = {{"M", "master", "master.fdb", "M", true},
                                  {"E", "EAST", "east.fdb", "E", false},
                                  {"W2", "WEST2", "west2.fdb", "W", false},
                                  {"N", "NORTH", "north.fdb", "N", false}};

std::string sitesTemplate(const std::string& name) { return templateFile("sites/" + name); }

// The exchange template's master without its clone WEST (a clone that never
// reads would hold every journal entry back), and three clones made with
// make-clone; once per process.
std::string buildSitesTemplate() {
    static const std::string error = []() -> std::string {
        if (std::string e = buildTemplate(); !e.empty()) return e;
        // The template's own alias file while it is made.
        struct AliasFile {
            const char* previous = std::getenv("QUORVEL_ALIASES");
            const std::string saved = previous ? previous : "";
            AliasFile() { ::setenv("QUORVEL_ALIASES", sitesTemplate("aliases.conf").c_str(), 1); }
            ~AliasFile() { previous ? ::setenv("QUORVEL_ALIASES", saved.c_str(), 1) : ::unsetenv("QUORVEL_ALIASES"); }
        };
        try {
            fs::create_directories(sitesTemplate(""));
            AliasFile aliasFile;
            copyFile(templateFile("master.fdb"), sitesTemplate("master.fdb"));
            auto run = [](const std::vector<std::string>& args) {
                const CliRun r = cli(args);
                require(r.status == 0, args.back() + ": " + r.text());
            };
            run({"aliases", "add", "M", sitesTemplate("master.fdb")});
            run({"--local", "M", "delete-clone", "WEST"});
            for (std::size_t i = 1; i < kSites.size(); ++i)
                run({"--local", "M", "make-clone", kSites[i].name, "--max1", std::to_string(i + 1), "--max2",
                     "1000000000", sitesTemplate(kSites[i].file)});
        } catch (const std::exception& e) {
            return std::string("making the template of four sites failed: ") + e.what();
        }
        return "";
    }();
    return error;
}

class Exchange {
public:
    Exchange(uint64_t seed, Workspace& ws, int kills, bool life = false, bool sharedKeys = false)
        : rnd_(seed), ws_(ws), killsLeft_(kills), life_(life), sharedKeys_(sharedKeys) {
        for (const Site& s : kSites) {
            copyFile(sitesTemplate(s.file), ws.path(s.file));
            current_.push_back(ws.path(s.file));
            quorvel::engine::Aliases::add(s.alias, ws.path(s.file));
            workers_.push_back(Worker{s.name, s.letter});
        }
        files_.resize(kSites.size());
    }

    // Random steps, full rounds, the checks.
    void period(int k, int steps) {
        written_ = {};
        chains_.clear();
        // Rows the master and a clone update concurrently: neither has read
        // the other's version before it writes its own.
        const std::size_t rival = pick(1, kSites.size() - 1);
        both_ = keysAt("M")["CUSTOMER"];
        std::shuffle(both_.begin(), both_.end(), rnd_);
        both_.resize(std::min<std::size_t>(2, both_.size()));
        for (std::size_t s : {std::size_t(0), rival}) {
            std::vector<std::string> work;
            const std::string tag = kSites[s].letter + std::to_string(k);
            for (const std::string& id : both_)
                work.push_back("update CUSTOMER set CITY = '" + tag + "', SCORE = SCORE + 1, NOTE = 'both, by " + tag +
                               "' where ID = " + id);
            sql(kSites[s].alias, work);
        }

        // Everything has reached every site: a backup now loses, once
        // restored, only what its clone does in this period.
        const std::size_t changing = life_ && chance(.7) ? pick(1, kSites.size() - 1) : 0;
        const int moment = static_cast<int>(pick(0, steps - 1));
        const bool restore = chance(.5);
        const std::string backup = ws_.path("life.fbk");
        if (changing && restore) {
            fs::remove(backup);
            quorvel::clone::backUpDatabase(current_[changing], backup, {});
        }
        for (int i = 0; i < steps; ++i) {
            if (changing && i == moment) restore ? restoreAndReRegister(changing, backup) : makeAgain(changing);
            const double a = std::uniform_real_distribution<double>(0, 1)(rnd_);
            const std::size_t s = pick(0, kSites.size() - 1);
            if (a < .4) {
                work(s, k);
            } else if (a < .65) {
                fill(s, false);
            } else {
                const std::vector<std::size_t> p = peers(s);
                read(s, p[pick(0, p.size() - 1)], chance(.15));
            }
        }
        // Once every site has every update, two sites update some of those
        // rows again: a clone after the master, the master after a clone, a
        // clone after another.
        fullRound();
        for (int i = 0; i < 2; ++i) {
            const std::size_t s = pick(0, kSites.size() - 1);
            std::vector<std::string> work;
            takeUp(s, work, true);
            sql(kSites[s].alias, work);
        }
        for (int r = 0; r < 3; ++r) fullRound();
        check(k, rival);
    }

    int kills() const { return kills_; }
    int madeAgain() const { return madeAgain_; }
    int restored() const { return restored_; }
    int killsLeft() const { return killsLeft_; }
    std::string childTimes() const {
        std::string t;
        for (const auto& [what, d] : childTime_)
            t += " a " + what + " " + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()) +
                 " ms";
        return t;
    }
    int killedAfterCommit() const { return killedAfterCommit_; }
    int refusedOlder() const { return refusedOlder_; }
    int lost() const { return lost_; }
    int relayedChains() const { return relayedChains_; }
    int settled() const { return settled_; }

private:
    struct File {
        int seq;
        std::string alias;
        std::set<std::size_t> readers;  // the peers it reaches
    };

    std::size_t pick(std::size_t from, std::size_t to) {
        return std::uniform_int_distribution<std::size_t>(from, to)(rnd_);
    }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rnd_) < p; }

    static std::vector<std::size_t> peers(std::size_t s) {
        if (s != 0) return {0};
        std::vector<std::size_t> all;
        for (std::size_t i = 1; i < kSites.size(); ++i) all.push_back(i);
        return all;
    }

    void work(std::size_t s, int k) {
        const Site& site = kSites[s];
        const Keys keys = keysAt(site.alias);
        // A few old rows and the newest of each table, so that sites update
        // the same rows in turn.
        Keys free;
        for (const auto& [table, all] : keys) {
            auto& some = free[table];
            for (std::size_t i = 0; i < all.size(); ++i)
                if ((i < 8 || i + 4 >= all.size()) &&
                    (table != "CUSTOMER" || !std::count(both_.begin(), both_.end(), all[i])))
                    some.push_back(all[i]);
        }
        std::vector<std::string> work;
        const std::size_t from = written_.sequence.size();
        randomWork(rnd_, workers_[s], "in period " + std::to_string(k), static_cast<int>(pick(1, 8)), free, keys, work,
                   written_);
        // Whether each update saw the last one made of its row (its site
        // held that value when it wrote): a chain of such updates must end
        // in the last one everywhere.
        std::set<std::string> again;
        for (std::size_t i = from; i < written_.sequence.size(); ++i) {
            const Written::Update& u = written_.sequence[i];
            auto [it, first] = chains_.try_emplace(u.row, Chain{u.marker, true});
            if (!first && !again.count(u.row)) {
                const auto colon = u.row.find(':');
                const Shape& shape = shapeOf(u.row.substr(0, colon));
                const auto held = column(site.alias, "select " + shape.marker + " from " + shape.table + " where " +
                                                         where(shape, u.row.substr(colon + 1)));
                it->second.unbroken = it->second.unbroken && !held.empty() && held[0] == it->second.last;
            }
            it->second.last = u.marker;
            again.insert(u.row);
        }
        takeUp(s, work);
        if (sharedKeys_ && chance(.8)) {
            const auto& held = keys.count("TAG") ? keys.at("TAG") : std::vector<std::string>{};
            // A few keys of the period's own, which other sites pick too.
            const std::string key = "S" + std::to_string(k) + "-" + std::to_string(pick(0, 1));
            if (!std::count(held.begin(), held.end(), key))
                work.push_back("insert into TAG (CODE, LABEL) values ('" + key + "', '" + site.letter + key + "')");
        }
        sql(site.alias, work);
    }

    // A read stopped on a TAG key inserted at two sites: settled the way
    // the read advises, either way at random.
    void settle(const Site& reader, const std::string& file, const std::string& said) {
        const auto at = said.find("Synchro row:");
        const auto code = said.find("CODE=", at);
        require(said.find("pass on table TAG") != std::string::npos && at != std::string::npos &&
                    code != std::string::npos,
                "a read at the " + reader.name + " stopped on what no site settles here: " + said);
        const std::string key = said.substr(code + 5, said.find_first_of(" \n", code) - code - 5);
        const CliRun r = cli({"--local", reader.alias, "--synchro", file,
                              chance(.5) ? "copy-from-synchro" : "delete-synchro-row", "TAG", key, "--yes"});
        require(r.status == 0, "settling TAG " + key + " at the " + reader.name + ": " + r.text());
        ++settled_;
    }

    // Now and then (or, `always`, up to three times) the site updates again
    // a row that another site updated in this period and whose update has
    // reached it.
    void takeUp(std::size_t s, std::vector<std::string>& work, bool always = false) {
        const Site& site = kSites[s];
        std::vector<std::string> rows;
        for (const auto& [row, chain] : chains_)
            if (chain.unbroken && !written_.gone.count(row) && !written_.updates[row].count(site.name))
                rows.push_back(row);
        std::shuffle(rows.begin(), rows.end(), rnd_);
        int taken = 0;
        for (const std::string& row : rows) {
            if (always ? taken == 3 : !chance(.5)) break;
            const auto colon = row.find(':');
            const Shape& shape = shapeOf(row.substr(0, colon));
            const std::string where = exchange::where(shape, row.substr(colon + 1));
            const auto held = column(site.alias, "select " + shape.marker + " from " + shape.table + " where " + where);
            if (held.empty() || held[0] != chains_[row].last) continue;
            const std::string v = std::to_string(std::uniform_int_distribution<int>(1, 999999)(rnd_));
            const std::string marker = shape.table == "ORDER_LINE" ? v : "t" + v;
            work.push_back("update " + shape.table + " set " + shape.marker + " = " +
                           (shape.table == "ORDER_LINE" ? v : "'" + marker + "'") + " where " + where);
            written_.updates[row][site.name] = marker;
            chains_[row].last = marker;
            ++taken;
        }
    }

    // Now and then runs quorvel-cli as a child and kills it at a random
    // moment of a run of a child's length; true when it ran as a child
    // (killed part-way or ended by itself). The operator, not knowing how
    // far it went, then runs it again.
    bool killSometimes(std::vector<std::string> args, const std::string& what) {
        if (killsLeft_ <= 0 || !chance(.1)) return false;
        args.push_back("--yes");
        const auto start = Clock::now();
        const pid_t pid = spawnCli(args, ws_.path("killed.log"));
        const auto it = childTime_.find(what);
        if (it == childTime_.end()) {
            // The first time, to its end: how long a child takes, start included.
            reap(pid);
            childTime_[what] = Clock::now() - start;
            return true;
        }
        --killsLeft_;
        const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(it->second).count();
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int64_t>(0, us * 11 / 10)(rnd_)));
        ::kill(pid, SIGKILL);
        bool killed = false;
        reap(pid, nullptr, &killed);
        if (killed) ++kills_;
        return true;
    }

    // A clone of a new incarnation in a new file: what the old one held alone
    // is gone, its files are no peer's, and updates it made this period are
    // not counted on.
    void newIncarnation(std::size_t c, const std::string& file) {
        quorvel::engine::Aliases::add(kSites[c].alias, file);
        current_[c] = file;
        files_[c].clear();
        lastRead_[{c, 0}] = lastRead_[{0, c}] = seq_;
        for (auto& [row, chain] : chains_) {
            const auto by = written_.updates.find(row);
            if (by != written_.updates.end() && by->second.count(kSites[c].name)) chain.unbroken = false;
        }
    }
    std::string incarnationFile(std::size_t c) {
        return ws_.path(kSites[c].alias + "-" + std::to_string(++incarnations_) + ".fdb");
    }
    std::vector<std::string> newRange() {
        return {"--max1", std::to_string(nextMax1_++), "--max2", "1000000000"};
    }

    void makeAgain(std::size_t c) {
        const Site& site = kSites[c];
        CliRun r = cli({"--local", "M", "delete-clone", site.name, "--yes"});
        require(r.status == 0, "delete-clone " + site.name + ": " + r.text());
        const std::string file = incarnationFile(c);
        std::vector<std::string> args = {"--local", "M", "make-clone", site.name};
        for (const std::string& a : newRange()) args.push_back(a);
        args.insert(args.end(), {file, "--yes"});
        r = cli(args);
        require(r.status == 0, "make-clone " + site.name + " again: " + r.text());
        newIncarnation(c, file);
        ++madeAgain_;
    }

    void restoreAndReRegister(std::size_t c, const std::string& backup) {
        const Site& site = kSites[c];
        const std::string restored = incarnationFile(c);
        quorvel::clone::restoreDatabase(backup, restored, {});
        quorvel::engine::Aliases::add(site.alias, restored);
        current_[c] = restored;
        // Before anyone notices, users may update and delete there, but no
        // code is drawn in a restored file.
        const std::string insert = Workspace::isqlOutput(
            restored, "insert into BULK (ID, TXT, N) values (gen_id(GEN_BULK, 1), 'restored', 1); commit;");
        require(insert.find("restored from a backup") != std::string::npos,
                "an insert into the restored " + site.name + ": " + insert);
        const std::string out = newFile();
        CliRun r = cli({"--local", site.alias, "--synchro", out, "fill", "--yes"});
        require(r.status == quorvel::cli::kExitRefused && r.err.find("restored from a backup") != std::string::npos,
                "a fill at the restored " + site.name + ": " + r.text());
        const std::string file = incarnationFile(c);
        std::vector<std::string> args = {"--local", "M", "--clone", site.alias, "re-register", site.name};
        for (const std::string& a : newRange()) args.push_back(a);
        args.insert(args.end(), {file, "--yes"});
        r = cli(args);
        require(r.status == 0, "re-register " + site.name + ": " + r.text());
        newIncarnation(c, file);
        ++restored_;
    }

    std::string newFile() {
        const int n = ++fileCount_;
        const std::string alias = "F" + std::to_string(n);
        copyFile(templateFile("synchro.fdb"), ws_.path("f" + std::to_string(n) + ".fdb"));
        quorvel::engine::Aliases::add(alias, ws_.path("f" + std::to_string(n) + ".fdb"));
        return alias;
    }

    // A fill into a new file that reaches each peer, or (now and then) not.
    void fill(std::size_t s, bool toEveryone) {
        const Site& site = kSites[s];
        File f{++seq_, newFile(), {}};
        const std::vector<std::string> args = {"--local", site.alias, "--synchro", f.alias, "fill"};
        killSometimes(args, "fill");
        const CliRun r = cli(args);
        require(r.status == 0, "fill at the " + site.name + ": " + r.text());
        for (std::size_t p : peers(s)) {
            if (toEveryone || !chance(.15))
                f.readers.insert(p);
            else
                ++lost_;
        }
        auto& mine = files_[s];
        mine.push_back(f);
        // Old files are read rarely: only the last few are kept.
        if (mine.size() > 4) {
            fs::remove(ws_.path("f" + mine.front().alias.substr(1) + ".fdb"));
            mine.erase(mine.begin());
        }
    }

    // The reader `t` reads the newest file of `p` that reached it, or an
    // older one: a file not newer than the last it read from `p` is refused
    // and changes nothing.
    void read(std::size_t t, std::size_t p, bool older) {
        std::vector<const File*> reached;
        for (const File& f : files_[p])
            if (f.readers.count(t)) reached.push_back(&f);
        if (reached.empty()) return;
        const File& f = older && reached.size() > 1 ? *reached[pick(0, reached.size() - 2)] : *reached.back();
        const Site& reader = kSites[t];
        const std::vector<std::string> args = {"--local", reader.alias, "--synchro",
                                               f.alias,   "read",       "--switch-triggers"};
        int& last = lastRead_[{t, p}];
        const bool notNewer = f.seq <= last;
        const std::string peersTable = "select * from R$PEERS order by 1";
        const auto before = notNewer ? rows(reader.alias, peersTable) : std::vector<std::string>{};
        const bool again = killSometimes(args, "read");
        CliRun r = cli(args);
        for (int n = 0; sharedKeys_ && !notNewer && r.status == quorvel::cli::kExitCollision && n < 12 &&
                        r.err.find("Settle it with") != std::string::npos;
             ++n) {
            settle(reader, f.alias, r.err);
            r = cli(args);
        }
        const bool refused = r.status == quorvel::cli::kExitRefused && r.err.find("not newer") != std::string::npos;
        if (again && !notNewer && refused) {
            ++killedAfterCommit_;  // the killed read had committed
        } else if (notNewer) {
            require(refused, "the " + reader.name + " read an older fill of the " + kSites[p].name + ": " + r.text());
            require(rows(reader.alias, peersTable) == before, "a refused read changed R$PEERS at the " + reader.name);
            if (!again) ++refusedOlder_;
        } else {
            require(r.status == 0, "read at the " + reader.name + " of the " + kSites[p].name + ": " + r.text());
        }
        const auto off = inactiveToolTriggers(reader.alias);
        if (!off.empty())
            throw std::runtime_error("the triggers stayed off at the " + reader.name + " after the read: " + off[0]);
        last = std::max(last, f.seq);
    }

    void fullRound() {
        for (std::size_t c = 1; c < kSites.size(); ++c) fill(c, true);
        for (std::size_t c = 1; c < kSites.size(); ++c) read(0, c, false);
        fill(0, true);
        for (std::size_t c = 1; c < kSites.size(); ++c) read(c, 0, false);
    }

    void check(int k, std::size_t rival) {
        const Dump master = dump("M");
        for (std::size_t c = 1; c < kSites.size(); ++c) {
            const Dump clone = dump(kSites[c].alias);
            require(master == clone, "the " + kSites[c].name + " differs from the master after the full rounds\n" +
                                         differences(master, clone, "master", kSites[c].name));
        }
        for (const std::string& id : both_) {
            const std::string city = column("M", "select CITY from CUSTOMER where ID = " + id)[0];
            require(city == "M" + std::to_string(k), "CUSTOMER " + id + " updated by the master and the " +
                                                         kSites[rival].name + " concurrently holds " + city +
                                                         ", not the master's version");
        }
        // Updates by one site alone, and updates each made having seen the
        // one before: the last one stands.
        for (const auto& [row, chain] : chains_) {
            // A shared key's rows are merged by whoever settles them.
            if (written_.gone.count(row) || !chain.unbroken || row.rfind("TAG:S", 0) == 0) continue;
            const auto colon = row.find(':');
            const Shape& s = shapeOf(row.substr(0, colon));
            const auto now =
                column("M", "select " + s.marker + " from " + s.table + " where " + where(s, row.substr(colon + 1)));
            const auto& by = written_.updates.at(row);
            std::string sites;
            for (const auto& [site, marker] : by) sites += (sites.empty() ? "" : ", ") + site;
            require(!now.empty() && now[0] == chain.last,
                    "the update of " + row + " to " + chain.last + " (updated by " + sites +
                        ", each having seen the update before) was lost: it holds " +
                        (now.empty() ? "no row" : now[0]));
            ++chainsChecked_;
            if (by.size() > 1) ++relayedChains_;
        }
    }

    std::mt19937_64 rnd_;
    Workspace& ws_;
    int killsLeft_;
    bool life_;
    bool sharedKeys_;
    int settled_ = 0;
    std::vector<std::string> current_;  // each site's database file now
    int incarnations_ = 0, madeAgain_ = 0, restored_ = 0;
    int nextMax1_ = static_cast<int>(kSites.size()) + 1;
    std::vector<Worker> workers_;
    std::vector<std::vector<File>> files_;
    std::map<std::pair<std::size_t, std::size_t>, int> lastRead_;  // (reader, sender) -> file
    std::map<std::string, Clock::duration> childTime_;             // of a fill, of a read
    std::vector<std::string> both_;
    Written written_;
    struct Chain {
        std::string last;
        bool unbroken;
    };
    std::map<std::string, Chain> chains_;  // per row updated in this period
    int chainsChecked_ = 0, relayedChains_ = 0;
    int fileCount_ = 0, seq_ = 0;
    int kills_ = 0, killedAfterCommit_ = 0, refusedOlder_ = 0, lost_ = 0;
};

class SitesConvergenceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { templateError_ = buildSitesTemplate(); }
    void SetUp() override { ASSERT_EQ(templateError_, ""); }
    static inline std::string templateError_;
    Workspace ws;

    // `rounds` periods of `steps`; the first failure ends the test, with its
    // seed and period.
    static void periods(Exchange& exchange, uint64_t seed, int rounds, int steps) {
        for (int k = 0; k < rounds; ++k) {
            try {
                exchange.period(k, steps);
            } catch (const std::exception& e) {
                FAIL() << "seed " << seed << ", period " << k << ": " << e.what();
            }
        }
    }
};

TEST_F(SitesConvergenceTest, RandomWorkAtThreeClonesConvergesAfterEveryFullRound) {
    const uint64_t seed = seedOf("RandomWorkAtThreeClonesConvergesAfterEveryFullRound");
    const int rounds = envInt("QUORVEL_ROUNDS", 4);
    Exchange exchange(seed, ws, 0);
    ASSERT_NO_FATAL_FAILURE(periods(exchange, seed, rounds, 14));
    EXPECT_GT(exchange.refusedOlder() + exchange.lost(), 0) << "no file was lost and no older file read";
    std::cout << "[ rounds   ] " << rounds << " periods converged, seed " << seed << ": " << exchange.lost()
              << " files lost, " << exchange.refusedOlder() << " fills refused as not newer, "
              << exchange.relayedChains() << " rows updated in turn at several sites" << std::endl;
}

TEST_F(SitesConvergenceTest, KilledFillsAndReadsAtManySitesLoseNothing) {
    const uint64_t seed = seedOf("KilledFillsAndReadsAtManySitesLoseNothing");
    const int kills = envInt("QUORVEL_KILLS", 4);
    Exchange exchange(seed, ws, kills);
    for (int k = 0; k == 0 || exchange.killsLeft() > 0; ++k) {
        try {
            exchange.period(k, 10);
        } catch (const std::exception& e) {
            FAIL() << "seed " << seed << ", period " << k << ", " << exchange.kills() << " kills: " << e.what();
        }
    }
    std::cout << "[ kills    ] " << exchange.kills() << " fills and reads killed at a random moment, "
              << exchange.killedAfterCommit() << " reads had committed, seed " << seed << "; as a child"
              << exchange.childTimes() << std::endl;
}

TEST_F(SitesConvergenceTest, ClonesMadeAgainOrRestoredFromABackupConverge) {
    const uint64_t seed = seedOf("ClonesMadeAgainOrRestoredFromABackupConverge");
    const int rounds = envInt("QUORVEL_ROUNDS", 4);
    Exchange exchange(seed, ws, 0, true);
    ASSERT_NO_FATAL_FAILURE(periods(exchange, seed, rounds, 12));
    std::cout << "[ life     ] " << rounds << " periods converged, seed " << seed << ": " << exchange.madeAgain()
              << " clones made again, " << exchange.restored() << " restored and re-registered" << std::endl;
}

TEST_F(SitesConvergenceTest, KeysInsertedAtSeveralSitesAreSettledWhereTheReadStopsAndConverge) {
    const uint64_t seed = seedOf("KeysInsertedAtSeveralSitesAreSettledWhereTheReadStopsAndConverge");
    const int rounds = envInt("QUORVEL_ROUNDS", 4);
    Exchange exchange(seed, ws, 0, false, true);
    ASSERT_NO_FATAL_FAILURE(periods(exchange, seed, rounds, 14));
    std::cout << "[ settled  ] " << rounds << " periods converged, seed " << seed << ": " << exchange.settled()
              << " collisions settled" << std::endl;
}

}  // namespace
