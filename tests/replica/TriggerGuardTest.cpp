// The guard wraps exactly the trigger's body: declarations, sub-routines,
// comments and literals that look like keywords stay outside or untouched,
// the undo gives back the text as it was, and a text the scanner does not
// understand is left alone.
#include <gtest/gtest.h>

#include "replica/TriggerGuard.h"

namespace quorvel::replica {

namespace {

const std::string kTest = "IF (rdb$get_context('USER_TRANSACTION', 'R$READING') IS NULL) THEN";

struct Case {
    const char* source;
    const char* bodyStart;  // where the wrapped body begins; nullptr: not guarded
};

const Case kCases[] = {
    {"as begin new.LAST_UPDATE = current_timestamp; end", "begin new.LAST"},
    {"AS\n  declare variable x integer; -- begin in a comment\n"
     "  declare procedure P returns (r integer) as begin r = 1; suspend; end\n"
     "begin\n  /* begin */ new.ID = gen_id(G, 1); -- set key\nend",
     "begin\n  /* begin */"},
    {"as declare c cursor for (select case when 1 = 1 then 'end' end from rdb$database); "
     "begin new.N = case when new.N is null then 0 else new.N end; end",
     "begin new.N"},
    {"as declare procedure Fwd returns (r integer); begin end", "begin end"},
    {"as begin insert into AUDIT values ('it''s the end'); end /* trailing */", "begin insert"},
    {"as begin if (1 = 1) then begin exit; end", nullptr},  // cut off: no END for the body
    {"begin new.ID = 1; end", nullptr},                    // not a catalogue text
    {"as begin x = 'unterminated; end", nullptr},
};

}  // namespace

TEST(TriggerGuardTest, WrapsTheBodyAloneAndTheUndoGivesBackTheText) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.source);
        const std::optional<std::string> guarded = guardedSource(c.source);
        ASSERT_EQ(guarded.has_value(), c.bodyStart != nullptr);
        if (!guarded) continue;
        const std::string source = c.source;
        const size_t body = source.find(c.bodyStart);
        EXPECT_EQ(guarded->substr(0, body), source.substr(0, body)) << "declarations stay in place";
        EXPECT_LT(guarded->find(kTest), guarded->find(c.bodyStart, body));
        EXPECT_TRUE(testsTheRead(*guarded));
        EXPECT_FALSE(testsTheRead(c.source));
        EXPECT_EQ(unguardedSource(*guarded), source);
    }
    EXPECT_FALSE(unguardedSource("as begin if (rdb$get_context('USER_TRANSACTION', 'R$READING') is null) then "
                                 "new.ID = 1; end")
                     .has_value())
        << "a test written by hand is not ours to remove";
}

TEST(TriggerGuardTest, NamesTheNewColumnsAssignedAndTheGeneratorsDrawn) {
    const TriggerWrites w = writesOf(
        "as begin if (new.ID is null) then \"NEW\".ID = gen_id(GEN_T, 1); new.\"Stamp\" = 'now';\n"
        "if (new.N = 1) then x = next value for G2; -- new.C = 1\n"
        "new.ID = 2; end");
    EXPECT_EQ(w.newColumns, (std::vector<std::string>{"ID", "Stamp"}));
    EXPECT_EQ(w.generators, (std::vector<std::string>{"GEN_T", "G2"}));
}

}  // namespace quorvel::replica
