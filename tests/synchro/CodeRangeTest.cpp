// The code conditions the fill and the read select rows with, run on a real
// table: each must take exactly the codes strictly above, below or between
// its marks in (high word, low word) order, at the edges of a word and
// across words, qualified or not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "support/Rows.h"
#include "support/Workspace.h"
#include "replica/RecordCode.h"

namespace quorvel::test {

using replica::RecordCode;

namespace {

using replica::RecordCode;

const std::vector<RecordCode> kCodes = {{0, 1}, {0, 5}, {0, 6}, {0, 7}, {0, 2000000000}, {1, 0}, {1, 1},
                                        {1, 9}, {2, 3}, {3, 0}, {3, 4}, {3, 5}, {4, 1}};

class CodeRange : public ::testing::Test {
protected:
    void SetUp() override {
        std::string script =
            "CREATE TABLE CODES (ID INTEGER NOT NULL PRIMARY KEY, R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
            "CREATE INDEX R$CODES_CODE ON CODES (R$CODE1, R$CODE2);\n";
        for (std::size_t i = 0; i < kCodes.size(); ++i)
            script += "INSERT INTO CODES VALUES (" + std::to_string(i) + ", " + std::to_string(kCodes[i].high) +
                      ", " + std::to_string(kCodes[i].low) + ");\n";
        script += "INSERT INTO CODES VALUES (99, NULL, NULL);\nCOMMIT;\n";
        ws.createDatabase("Codes", script);
        Workspace::connect(dm.UserDB(), "Codes");
    }

    std::vector<std::string> selected(const std::string& condition) {
        return rowsOf(dm.UserDB(), "select R$Code1, R$Code2 from CODES T where " + condition + " order by 1, 2");
    }

    template <class Keep>
    static std::vector<std::string> expected(Keep keep) {
        std::vector<std::string> out;
        for (const RecordCode& c : kCodes)
            if (keep(c)) out.push_back(std::to_string(c.high) + "|" + std::to_string(c.low));
        return out;
    }

    Workspace ws;
    DM dm;
};

TEST_F(CodeRange, BetweenTakesTheCodesStrictlyInsideWithinOneWordAndAcrossWords) {
    const std::vector<std::pair<RecordCode, RecordCode>> ranges = {
        {{0, 5}, {0, 2000000000}},  // a master's first fill: one high word
        {{0, 5}, {0, 7}},
        {{0, 6}, {0, 6}},           // empty
        {{0, 7}, {3, 5}},           // across words, the words between taken whole
        {{1, 0}, {2, 0}},           // adjacent words
        {{1, 9}, {1, 0}},           // upside down: empty
        {{4, 0}, {3, 0}},           // upside down across words: empty
    };
    for (const auto& [low, high] : ranges) {
        const auto want = expected([&](const RecordCode& c) { return low < c && c < high; });
        EXPECT_EQ(selected(replica::codeBetween(low, high)), want) << low.text() << " .. " << high.text();
        EXPECT_EQ(selected(replica::codeBetween(low, high, "T.")), want) << low.text() << " .. " << high.text();
        EXPECT_EQ(selected("not " + replica::codeBetween(low, high, "T.") + " and T.R$Code1 is not null"),
                  expected([&](const RecordCode& c) { return !(low < c && c < high); }))
            << "not " << low.text() << " .. " << high.text();
    }
}

TEST_F(CodeRange, AboveAndBelowLeaveTheMarkOut) {
    for (const RecordCode mark : {RecordCode{0, 6}, RecordCode{1, 0}, RecordCode{3, 5}}) {
        EXPECT_EQ(selected(replica::codeAbove(mark)), expected([&](const RecordCode& c) { return c > mark; }))
            << mark.text();
        EXPECT_EQ(selected(replica::codeBelow(mark, "T.")), expected([&](const RecordCode& c) { return c < mark; }))
            << mark.text();
    }
}

}  // namespace

}  // namespace quorvel::test
