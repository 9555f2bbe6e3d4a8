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

#include "ExchangeSites.h"
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

// Where a row of each table is found and which column a random update marks.
struct Shape {
    std::string table, key, marker;
};
const std::vector<Shape> kShapes = {{"CUSTOMER", "ID", "CITY"},
                                    {"ORDERS", "ID", "NOTE"},
                                    {"ORDER_LINE", "ORDER_ID || ',' || LINE_NO", "QTY"},
                                    {"TAG", "CODE", "LABEL"},
                                    {"BULK", "ID", "TXT"}};

std::string where(const Shape& s, const std::string& key) {
    if (s.table == "ORDER_LINE") {
        const auto comma = key.find(',');
        return "ORDER_ID = " + key.substr(0, comma) + " and LINE_NO = " + key.substr(comma + 1);
    }
    return s.key + (s.table == "TAG" ? " = '" + key + "'" : " = " + key);
}

class Cycle {
public:
    Cycle(uint64_t seed) : rnd_(seed), seed_(seed), successEvery_(1 + static_cast<int>(seed % 3)) {}

    // One round: random work at both sites, the exchange both ways, the
    // checks. `sameNaturalKey` makes both sites insert the same TAG key.
    void round(int k, bool sameNaturalKey) {
        round_ = k;
        const std::set<std::string> wins = masterUpdatedRows();
        std::map<std::string, std::map<bool, std::string>> wrote;
        std::set<std::string> gone;
        std::map<std::string, std::vector<std::string>> keys;  // at the start of the round, equal at both
        for (const Shape& s : kShapes) keys[s.table] = column("M", "select " + s.key + " from " + s.table);

        // Rows updated at both sites: the master's version must stand.
        std::vector<std::string> both;
        {
            std::vector<std::string> c = keys["CUSTOMER"];
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
            randomWork(site, k, keys, both, work, wrote, gone);
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

        const Dump m = comparable(dump("M")), c = comparable(dump("W"));
        require(m == c, "the sites differ after the exchange (variant " + std::to_string(variant) + ")\n" +
                            differences(m, c, "master", "clone"));
        for (const std::string& id : both) {
            const std::string city = column("M", "select CITY from CUSTOMER where ID = " + id)[0];
            require(city == "m" + std::to_string(k), "CUSTOMER " + id + " updated at both sites holds " + city +
                                                         ", not the master's version");
        }
        for (const auto& [row, by] : wrote) {
            if (gone.count(row) || by.size() != 1 || (wins.count(row) && !by.count(true))) continue;
            const auto colon = row.find(':');
            const Shape& s = shape(row.substr(0, colon));
            const auto now = column("M", "select " + s.marker + " from " + s.table + " where " +
                                             where(s, row.substr(colon + 1)));
            require(!now.empty() && now[0] == by.begin()->second,
                    "the update of " + row + " by the " + (by.begin()->first ? "master" : "clone") + " to " +
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
    static const Shape& shape(const std::string& table) {
        for (const Shape& s : kShapes)
            if (s.table == table) return s;
        throw std::runtime_error("no table " + table);
    }

    // Rows whose update by the master still outranks the clone's ("U" in the
    // master's journal since its last "Success").
    std::set<std::string> masterUpdatedRows() {
        std::set<std::string> out;
        for (const Shape& s : kShapes)
            for (const std::string& key :
                 column("M", "select " + s.key + " from " + s.table +
                                 " T where exists (select 1 from R$DELETEDUPDATED J where J.Operation = 'U'"
                                 " and J.R$Code1 = T.R$Code1 and J.R$Code2 = T.R$Code2)"))
                out.insert(s.table + ":" + key);
        return out;
    }

    void randomWork(const Site& site, int k, const std::map<std::string, std::vector<std::string>>& keys,
                    const std::vector<std::string>& both, std::vector<std::string>& work,
                    std::map<std::string, std::map<bool, std::string>>& wrote, std::set<std::string>& gone) {
        // Rows this site may still update or delete in this round.
        std::map<std::string, std::vector<std::string>> free = keys;
        auto drop = [&](const std::string& table, const std::string& key) {
            auto& v = free[table];
            v.erase(std::remove(v.begin(), v.end(), key), v.end());
        };
        for (const std::string& id : both) drop("CUSTOMER", id);
        for (const std::string& key : settled_) drop("TAG", key);
        auto pick = [&](const std::string& table) {
            auto& v = free[table];
            return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rnd_)];
        };
        auto value = [&] { return std::to_string(std::uniform_int_distribution<int>(1, 999999)(rnd_)); };
        const int ops = std::uniform_int_distribution<int>(5, 30)(rnd_);
        for (int i = 0; i < ops; ++i) {
            const double op = std::uniform_real_distribution<double>(0, 1)(rnd_);
            const Shape& s = kShapes[std::uniform_int_distribution<std::size_t>(0, kShapes.size() - 1)(rnd_)];
            const std::string v = value();
            if (op < .45 || free[s.table].size() < 5) {
                if (s.table == "CUSTOMER")
                    work.push_back("insert into CUSTOMER (ID, NAME, CITY, SCORE, NOTE, CREATED) values (gen_id(GEN_CUSTOMER, 1), 'new " + v + "', 'i" + v +
                                   "', " + v + " / 100.0, 'made by the " + site.name + " in round " +
                                   std::to_string(k) + "', '2026-12-07')");
                else if (s.table == "TAG")
                    work.push_back("insert into TAG (CODE, LABEL) values ('" + std::string(site.master ? "M" : "C") +
                                   std::to_string(++tags_) + "', 'i" + v + "')");
                else if (s.table == "BULK")
                    work.push_back("insert into BULK (ID, TXT, N) values (gen_id(GEN_BULK, 1), 'i" + v + "', " + v + ")");
                else {
                    // A new order of a customer that nobody deletes, with its lines.
                    const std::string customer = std::to_string(1 + std::stoi(v) % 40);
                    work.push_back("insert into ORDERS (ID, CUSTOMER_ID, AMOUNT, NOTE) values (gen_id(GEN_ORDERS, 1), " + customer + ", " + v +
                                   " / 10.0, 'i" + v + "')");
                    for (int line = 1; line <= 1 + std::stoi(v) % 3; ++line)
                        work.push_back("insert into ORDER_LINE (ORDER_ID, LINE_NO, QTY) values (gen_id(GEN_ORDERS, 0), " +
                                       std::to_string(line) + ", " + std::to_string(line * 10) + ")");
                }
            } else if (op < .85) {
                const std::string key = pick(s.table);
                const std::string marker = s.table == "ORDER_LINE" ? v : "u" + v;
                std::string set = s.marker + " = " + (s.table == "ORDER_LINE" ? v : "'" + marker + "'");
                if (s.table == "CUSTOMER") set += ", NOTE = 'note " + marker + " by the " + site.name + "'";
                work.push_back("update " + s.table + " set " + set + " where " + where(s, key));
                wrote[s.table + ":" + key][site.master] = marker;
            } else {
                if (s.table == "CUSTOMER") {
                    // Only customers without orders: those made during the run.
                    std::vector<std::string>& v = free["CUSTOMER"];
                    auto it = std::find_if(v.begin(), v.end(), [](const std::string& id) { return std::stoi(id) > 40; });
                    if (it == v.end()) continue;
                    const std::string id = *it;
                    work.push_back("delete from CUSTOMER where ID = " + id);
                    gone.insert("CUSTOMER:" + id);
                    drop("CUSTOMER", id);
                    continue;
                }
                const std::string key = pick(s.table);
                if (s.table == "ORDERS") {
                    work.push_back("delete from ORDER_LINE where ORDER_ID = " + key);
                    for (const std::string& line : keys.at("ORDER_LINE"))
                        if (line.rfind(key + ",", 0) == 0) {
                            gone.insert("ORDER_LINE:" + line);
                            drop("ORDER_LINE", line);
                        }
                }
                work.push_back("delete from " + s.table + " where " + where(s, key));
                gone.insert(s.table + ":" + key);
                drop(s.table, key);
            }
        }
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
    // sites stops the read, which must then leave the reader as it was, and
    // is settled from the command line before the read runs again.
    void exchange(const Site& sender, const Site& reader, bool sameNaturalKey) {
        fill(sender);
        if (!sameNaturalKey) return read(reader, sender);
        const std::string key = "SAME" + std::to_string(round_);
        const Dump before = dump(reader.alias, true);
        const CliRun r = readOnce(reader, sender);
        require(r.status == 1 && r.err.find("pass on table TAG") != std::string::npos &&
                    r.err.find(key) != std::string::npos,
                "the read at the " + reader.name + " did not stop on the natural key " + key + ": " + r.text());
        require(inactiveToolTriggers(reader.alias).empty(), "the triggers stayed off after the failed read");
        const Dump after = dump(reader.alias, true);
        require(before == after, "the failed read left changes at the " + reader.name + ":\n" +
                                     differences(before, after, "before", "after"));
        ++collisions_;
        // The first reader picks either settling; the second takes the
        // version the first one chose, so both end with the same values.
        const bool copy = settled_.count(key) ? !firstCopied_
                                              : std::uniform_int_distribution<int>(0, 1)(rnd_) == 1;
        if (!settled_.count(key)) firstCopied_ = copy;
        settled_.insert(key);
        const CliRun s = cli({"--local", reader.alias, "--synchro", sender.out,
                              copy ? "copy-from-synchro" : "delete-synchro-row", "TAG", key});
        require(s.status == 0, "settling " + key + " at the " + reader.name + ": " + s.text());
        read(reader, sender);
    }

    // A natural key inserted at both sites keeps each site's own record code
    // after the settling (the copy keeps the local code, by design): those
    // rows are compared without their codes.
    Dump comparable(Dump d) const {
        static const std::regex codes("\\|R\\$CODE1=[^|]*\\|R\\$CODE2=[^|]*");
        for (std::string& row : d["TAG"])
            for (const std::string& key : settled_)
                if (row.rfind("CODE=" + key + "|", 0) == 0) row = std::regex_replace(row, codes, "");
        return d;
    }

    std::mt19937_64 rnd_;
    uint64_t seed_;
    int successEvery_;
    int round_ = 0;
    int tags_ = 0;
    int collisions_ = 0;
    bool firstCopied_ = false;
    std::set<std::string> settled_;
};

class ExchangeConvergenceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { templateError_ = buildTemplate(); }
    void SetUp() override {
        ASSERT_EQ(templateError_, "");
        copySites(ws.dir());
    }
    static inline std::string templateError_;
    Workspace ws;
};

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
    EXPECT_EQ(cycle.collisions(), 2 * ((rounds + 1) / 2)) << "each natural key stops one read at each site";
}

}  // namespace
