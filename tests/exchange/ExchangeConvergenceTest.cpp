// The exchange cycle end to end on a real master and its clone: rounds of
// random inserts, updates and deletes at both sites (some rows updated at
// both in the same round), each round exchanged both ways with quorvel-cli,
// "Success" at both every few rounds. After every round both databases hold
// the same rows, codes and BLOBs included; where both sites changed a row the
// master's version stands, and no update made at one site alone is lost.
//
// Short by default; the long run:
//   QUORVEL_ROUNDS=50 ctest -R ExchangeConvergence --timeout 3600 --output-on-failure
// A failing run is replayed with the QUORVEL_SEED it printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <stdexcept>

#include "cli/Help.h"
#include "TemplateSitesTest.h"
#include "RandomWork.h"
#include "support/Workspace.h"

using namespace quorvel::test;
using namespace quorvel::test::exchange;

namespace {

struct Site {
    std::string alias, out, name;
    bool master;
};

const Site kMaster{"M", "SM", "master", true};
const Site kClone{"W", "SW", "clone", false};

void require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

class Cycle {
public:
    Cycle(uint64_t seed) : rnd_(seed), seed_(seed), successEvery_(1 + static_cast<int>(seed % 3)) {}

    // One round: random work at both sites, the exchange both ways, the
    // checks. `sameNaturalKey` makes both sites insert the same TAG key.
    void round(int k, bool sameNaturalKey) {
        round_ = k;
        const std::set<std::string> wins = masterUpdatedRows();
        Written written;
        const Keys keys = keysAt("M");  // at the start of the round, equal at both

        // Rows updated at both sites: the master's version must stand.
        std::vector<std::string> both;
        {
            std::vector<std::string> c = keys.at("CUSTOMER");
            std::shuffle(c.begin(), c.end(), rnd_);
            c.resize(std::min<std::size_t>(3, c.size()));
            both = c;
        }
        for (const Site& site : {kMaster, kClone}) {
            std::vector<std::string> work;
            const std::string tag = (site.master ? "m" : "c") + std::to_string(k);
            for (const std::string& id : both)
                work.push_back("update CUSTOMER set CITY = '" + tag + "', SCORE = SCORE + 1, NOTE = 'both, by " +
                               tag + "' where ID = " + id);
            if (sameNaturalKey)
                work.push_back("insert into TAG (CODE, LABEL) values ('SAME" + std::to_string(k) + "', 'by " + site.name + "')");
            randomWork(site, k, keys, both, work, written);
            sql(site.alias, work);
        }

        const int variant = std::uniform_int_distribution<int>(0, sameNaturalKey ? 1 : 2)(rnd_);
        if (variant == 0) {
            exchange(kClone, kMaster, sameNaturalKey);
            exchange(kMaster, kClone, sameNaturalKey);
        } else if (variant == 1) {
            exchange(kMaster, kClone, sameNaturalKey);
            exchange(kClone, kMaster, sameNaturalKey);
        } else {
            // Both fill, the files cross, both read.
            fill(kMaster);
            fill(kClone);
            read(kMaster, kClone);
            read(kClone, kMaster);
        }

        const Dump m = dump("M"), c = dump("W");
        require(m == c, "the sites differ after the exchange (variant " + std::to_string(variant) + ")\n" +
                            differences(m, c, "master", "clone"));
        for (const std::string& id : both) {
            const std::string city = column("M", "select CITY from CUSTOMER where ID = " + id)[0];
            require(city == "m" + std::to_string(k), "CUSTOMER " + id + " updated at both sites holds " + city +
                                                         ", not the master's version");
        }
        for (const auto& [row, by] : written.updates) {
            if (written.gone.count(row) || by.size() != 1 || (wins.count(row) && !by.count(kMaster.name))) continue;
            const auto colon = row.find(':');
            const Shape& s = shapeOf(row.substr(0, colon));
            const auto now = column("M", "select " + s.marker + " from " + s.table + " where " +
                                             where(s, row.substr(colon + 1)));
            require(!now.empty() && now[0] == by.begin()->second,
                    "the update of " + row + " by the " + by.begin()->first + " to " +
                        by.begin()->second + " was lost: it holds " + (now.empty() ? "no row" : now[0]));
        }
        if (k % successEvery_ == successEvery_ - 1) {
            for (const Site& site : {kMaster, kClone}) {
                const CliRun r = cli({"--local", site.alias, "success"});
                require(r.status == 0, "success at the " + site.name + ": " + r.text());
            }
        }
    }

    int collisions() const { return collisions_; }
    int successEvery() const { return successEvery_; }

private:
    // Rows whose update by the master still outranks the clone's ("U" in the
    // master's journal since its last "Success").
    std::set<std::string> masterUpdatedRows() {
        std::set<std::string> out;
        for (const Shape& s : shapes())
            for (const std::string& key :
                 column("M", "select " + s.key + " from " + s.table +
                                 " T where exists (select 1 from R$DELETEDUPDATED J where J.Operation = 'U'"
                                 " and J.R$Code1 = T.R$Code1 and J.R$Code2 = T.R$Code2)"))
                out.insert(s.table + ":" + key);
        return out;
    }

    void randomWork(const Site& site, int k, const Keys& keys, const std::vector<std::string>& both,
                    std::vector<std::string>& work, Written& written) {
        // Rows this site may update or delete in this round.
        Keys free = keys;
        auto drop = [&](const std::string& table, const std::string& key) {
            auto& v = free[table];
            v.erase(std::remove(v.begin(), v.end(), key), v.end());
        };
        for (const std::string& id : both) drop("CUSTOMER", id);
        for (const std::string& key : settled_) drop("TAG", key);
        Worker& worker = site.master ? masterWorker_ : cloneWorker_;
        const int ops = std::uniform_int_distribution<int>(5, 30)(rnd_);
        exchange::randomWork(rnd_, worker, "in round " + std::to_string(k), ops, free, keys, work, written);
    }

    void fill(const Site& sender) {
        const CliRun r = cli({"--local", sender.alias, "--synchro", sender.out, "fill"});
        require(r.status == 0, "fill at the " + sender.name + ": " + r.text());
    }

    CliRun readOnce(const Site& reader, const Site& sender) {
        return cli({"--local", reader.alias, "--synchro", sender.out, "read", "--switch-triggers"});
    }

    void read(const Site& reader, const Site& sender) {
        const CliRun r = readOnce(reader, sender);
        require(r.status == 0, "read at the " + reader.name + ": " + r.text());
    }

    // Fill at the sender, read at the reader; a natural key inserted at both
    // sites stops the first read that meets it, which must then leave the
    // reader as it was, and is settled from the command line before the read
    // runs again; the decision travels, and the other site's read passes.
    void exchange(const Site& sender, const Site& reader, bool sameNaturalKey) {
        fill(sender);
        const std::string key = "SAME" + std::to_string(round_);
        if (!sameNaturalKey || settled_.count(key)) return read(reader, sender);
        const Dump before = dump(reader.alias, true);
        const CliRun r = readOnce(reader, sender);
        require(r.status == quorvel::cli::kExitCollision && r.err.find("pass on table TAG") != std::string::npos &&
                    r.err.find(key) != std::string::npos,
                "the read at the " + reader.name + " did not stop on the natural key " + key + ": " + r.text());
        require(inactiveToolTriggers(reader.alias).empty(), "the triggers stayed off after the failed read");
        const Dump after = dump(reader.alias, true);
        require(before == after, "the failed read left changes at the " + reader.name + ":\n" +
                                     differences(before, after, "before", "after"));
        ++collisions_;
        settled_.insert(key);
        const bool copy = std::uniform_int_distribution<int>(0, 1)(rnd_) == 1;
        const CliRun s = cli({"--local", reader.alias, "--synchro", sender.out,
                              copy ? "copy-from-synchro" : "delete-synchro-row", "TAG", key});
        require(s.status == 0, "settling " + key + " at the " + reader.name + ": " + s.text());
        read(reader, sender);
    }

    std::mt19937_64 rnd_;
    uint64_t seed_;
    int successEvery_;
    int round_ = 0;
    Worker masterWorker_{kMaster.name, "M"}, cloneWorker_{kClone.name, "C"};
    int collisions_ = 0;
    std::set<std::string> settled_;
};

class ExchangeConvergenceTest : public TemplateSitesTest {};

TEST_F(ExchangeConvergenceTest, RandomWorkAtBothSitesConvergesEveryRound) {
    const uint64_t seed = seedOf("RandomWorkAtBothSitesConvergesEveryRound");
    const int rounds = envInt("QUORVEL_ROUNDS", 3);
    Cycle cycle(seed);
    for (int k = 0; k < rounds; ++k) {
        try {
            cycle.round(k, false);
        } catch (const std::exception& e) {
            FAIL() << "seed " << seed << ", round " << k << " (Success every " << cycle.successEvery()
                   << " rounds): " << e.what();
        }
    }
    std::cout << "[ rounds   ] " << rounds << " rounds converged, seed " << seed << std::endl;
}

TEST_F(ExchangeConvergenceTest, ANaturalKeyInsertedAtBothSitesStopsTheReadAndConvergesOnceSettled) {
    const uint64_t seed = seedOf("ANaturalKeyInsertedAtBothSitesStopsTheReadAndConvergesOnceSettled");
    Cycle cycle(seed);
    const int rounds = std::max(3, envInt("QUORVEL_ROUNDS", 3));
    for (int k = 0; k < rounds; ++k) {
        try {
            cycle.round(k, k % 2 == 0);
        } catch (const std::exception& e) {
            FAIL() << "seed " << seed << ", round " << k << ": " << e.what();
        }
    }
    EXPECT_EQ(cycle.collisions(), (rounds + 1) / 2) << "each natural key stops the first read that meets it";
}

}  // namespace
