// References found in extracts and the order they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ddl/TableOrder.h"
#include "ddl/TableReferences.h"

namespace quorvel::test {
namespace {

using namespace ddl;
using Names = std::vector<std::string>;

std::vector<std::pair<std::string, std::string>> references(const std::string& text) {
    TMyStream s;
    s.LoadFromString(text);
    std::vector<std::pair<std::string, std::string>> out;
    for (const TRefPair& p : FindReferences(s)) out.emplace_back(p.ChildTable, p.ParentTable);
    return out;
}

using Refs = std::vector<std::pair<std::string, std::string>>;

TEST(References, AreFoundPastTheCommitsOfTheServersExtract) {
    // As isql-fb -x writes a database with procedures: COMMIT after the
    // tables, procedure headers, indexes, then the foreign keys.
    EXPECT_EQ(references("CREATE TABLE T1 (ID INTEGER);\nCOMMIT WORK;\nSET AUTODDL OFF;\nSET TERM ^ ;\n"
                         "CREATE OR ALTER PROCEDURE P (I INTEGER) RETURNS (C INTEGER) AS BEGIN SUSPEND; END ^\n"
                         "SET TERM ; ^\nCOMMIT WORK;\nCREATE INDEX IX ON T1 (ID);\n"
                         "ALTER TABLE T1 ADD CONSTRAINT FK1 FOREIGN KEY (A) REFERENCES T3 (ID);\n"
                         "ALTER TABLE T3 ADD FOREIGN KEY (B, C) REFERENCES T2 (A, B);\n"
                         "CREATE VIEW V AS SELECT * FROM T1;\nCOMMIT WORK;\n"
                         "ALTER PROCEDURE P (I INTEGER) AS BEGIN END ^\n"
                         "ALTER TABLE T4 ADD FOREIGN KEY (A) REFERENCES T1 (ID);\n"),
              (Refs{{"T1", "T3"}, {"T3", "T2"}, {"T4", "T1"}}));
}

TEST(References, AStatementWithoutReferencesTakesNoneFromTheNext) {
    EXPECT_EQ(references("ALTER TABLE T1 ADD CHECK (QTY >= 0);\n"
                         "GRANT SELECT ON T2 TO PUBLIC;\n"
                         "ALTER TABLE T2 ADD FOREIGN KEY (A) REFERENCES T3 (ID);\n"
                         "ALTER TABLE T5 ADD X INTEGER ALTER TABLE T6 ADD FOREIGN KEY (A) REFERENCES T7;\n"),
              (Refs{{"T2", "T3"}, {"T6", "T7"}}));
}

TEST(References, NamesAreSpeltAsTheCatalogueKeepsThemAndSelfReferencesDropped) {
    EXPECT_EQ(references("ALTER TABLE T1 ADD FOREIGN KEY (P) REFERENCES T1 (ID);\n"
                         "ALTER TABLE t1 ADD FOREIGN KEY (P) REFERENCES \"T1\" (ID);\n"
                         "ALTER TABLE \"t1\" ADD FOREIGN KEY (P) REFERENCES T1 (ID);\n"
                         "ALTER TABLE \"OrderLine\" ADD FOREIGN KEY (P) REFERENCES \"QUOTE\"\"D\" (ID);\n"
                         "ALTER TABLE ORDERLINE ADD FOREIGN KEY (P) REFERENCES \"OrderLine\" (\"Line No\");\n"
                         "ALTER TABLE T2 ADD FOREIGN KEY (P) REFERENCES T1 (ID), ADD FOREIGN KEY (Q) REFERENCES t3;\n"
                         "ALTER TABLE"),
              (Refs{{"t1", "T1"},
                    {"OrderLine", "QUOTE\"D"},
                    {"ORDERLINE", "OrderLine"},
                    {"T2", "T1"},
                    {"T2", "T3"}}));
}

TableOrder order(const Names& tables, const Refs& refs) {
    std::vector<TRefPair> pairs;
    for (const auto& [c, p] : refs) pairs.push_back({c, p});
    return OrderTables(tables, pairs);
}

TEST(Ordering, ReferencedTablesComeFirst) {
    // T1 references T3, T3 references T2.
    TableOrder o = order({"T1", "T2", "T3"}, {{"T1", "T3"}, {"T3", "T2"}});
    EXPECT_EQ(o.tables, (Names{"T2", "T3", "T1"}));
    EXPECT_TRUE(o.cycleTables.empty());
}

TEST(Ordering, OnlyReferencedTablesMove) {
    // Unreferenced tables keep the list's order; names match exactly, so a
    // mixed-case name is not its upper-case namesake; unknown names move nothing.
    TableOrder o = order({"A", "B", "C", "D", "E"},
                         {{"B", "E"}, {"X", "A"}, {"D", "Y"}, {"C", "C"}, {"b", "D"}, {"B", "E"}});
    EXPECT_EQ(o.tables, (Names{"A", "E", "B", "C", "D"}));
    EXPECT_TRUE(o.cycleTables.empty());
    EXPECT_EQ(order({"ORDERLINE", "OrderLine", "QUOTE\"D"}, {{"OrderLine", "QUOTE\"D"}}).tables,
              (Names{"ORDERLINE", "QUOTE\"D", "OrderLine"}));
    EXPECT_TRUE(order({}, {{"A", "B"}}).tables.empty());
}

TEST(Ordering, ACycleEndsAndNamesItsTables) {
    TableOrder o = order({"A", "B", "C", "D", "E"}, {{"A", "C"}, {"C", "E"}, {"E", "A"}, {"D", "B"}});
    EXPECT_EQ(o.cycleTables, (Names{"A", "C", "E"}));
    ASSERT_EQ(o.tables.size(), 5u);
    // Outside the cycle the references still hold.
    auto at = [&o](const std::string& n) { return std::find(o.tables.begin(), o.tables.end(), n) - o.tables.begin(); };
    EXPECT_LT(at("B"), at("D"));

    TableOrder two = order({"P", "Q"}, {{"P", "Q"}, {"Q", "P"}});
    EXPECT_EQ(two.cycleTables, (Names{"P", "Q"}));
    EXPECT_EQ(CycleMessage(two.cycleTables),
              "Warning: the tables P, Q reference each other in a cycle, so no order puts every referenced "
              "table first. The script and the order reached have been written; a synchro read can still fail "
              "on their foreign keys when a new row references a new row of a table that comes later in that "
              "order.");
}

TEST(Ordering, AnyAcyclicReferencesSettleWithinTheBound) {
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        int n = 2 + static_cast<int>(rng() % 30);
        Names tables;
        for (int i = 0; i < n; ++i) tables.push_back("T" + std::to_string(i));
        Names rank = tables;  // a table may reference only tables ranked before it
        std::shuffle(rank.begin(), rank.end(), rng);
        Refs refs;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < i; ++j)
                if (rng() % 4 == 0) refs.emplace_back(rank[i], rank[j]);
        std::shuffle(refs.begin(), refs.end(), rng);
        if (round % 2) std::reverse(rank.begin(), rank.end()), tables = rank;  // worst start: children first

        TableOrder o = order(tables, refs);
        ASSERT_TRUE(o.cycleTables.empty()) << "round " << round;
        auto pos = [&o](const std::string& t) { return std::find(o.tables.begin(), o.tables.end(), t) - o.tables.begin(); };
        for (const auto& [child, parent] : refs) ASSERT_LT(pos(parent), pos(child)) << "round " << round;
        Names sorted = o.tables;
        std::sort(sorted.begin(), sorted.end());
        Names all = tables;
        std::sort(all.begin(), all.end());
        ASSERT_EQ(sorted, all);
    }
}

}  // namespace
}  // namespace quorvel::test
