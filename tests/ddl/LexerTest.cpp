// The lexer's rules, one group per kind of token.
#include <gtest/gtest.h>

#include "LexTestSupport.h"
#include "ddl/IbLex.h"
#include "ddl/Keywords.h"

namespace quorvel::test {
namespace {

using namespace ddl;
using Toks = std::vector<Tok>;

TEST(LexerKinds, OrdinalValuesAreFixed) {
    EXPECT_EQ(tkEnd, 0);
    EXPECT_EQ(tkComment, 1);
    EXPECT_EQ(tkKeyword, 2);
    EXPECT_EQ(tkIdent, 3);
    EXPECT_EQ(tkNumber, 4);
    EXPECT_EQ(tkString, 5);
    EXPECT_EQ(tkNotEqual, 6);
    EXPECT_EQ(tkGreaterEqual, 7);
    EXPECT_EQ(tkLessEqual, 8);
    EXPECT_EQ(tkOperator, 9);
    EXPECT_EQ(tkDelimiter, 10);
    EXPECT_EQ(tkConcat, 11);
    EXPECT_EQ(tkUnknown, 13);
}

TEST(LexerKeywords, ListHoldsTheDialectWordsOnce) {
    const auto& list = KeywordList();
    EXPECT_EQ(list.size(), 130u);  // "or" is added twice and kept once
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    for (const char* w : {"active", "entry_point", "returning_values", "post_event", "module_name", "work",
                          "or", "cstring", "varying"})
        EXPECT_TRUE(std::binary_search(list.begin(), list.end(), std::string(w))) << w;
    for (const auto& w : list) EXPECT_TRUE(IsKeyword(w)) << w;
    for (const char* w : {"sequence", "trim", "timestamp", "recreate", "sub_type", "segment", "size", "term",
                          "word", "o", "returning_valuesx", ""})
        EXPECT_FALSE(IsKeyword(w)) << w;
}

TEST(LexerKeywords, LowerWordLowersOnlyAsciiCapitals) {
    EXPECT_EQ(LowerWord("CrEaTe_$1"), "create_$1");
    EXPECT_EQ(LowerWord("\xC4@[Z"), "\xC4@[z");
}

TEST(LexerWords, KeywordsInAnyCaseKeepTheirText) {
    EXPECT_EQ(lexAll("CREATE create CreAte"),
              (Toks{{tkKeyword, "CREATE"}, {tkKeyword, "create"}, {tkKeyword, "CreAte"}}));
    EXPECT_EQ(lexAll("ENTRY_POINT Returning_Values"),
              (Toks{{tkKeyword, "ENTRY_POINT"}, {tkKeyword, "Returning_Values"}}));
}

TEST(LexerWords, DollarContinuesButNeverStartsAWord) {
    EXPECT_EQ(lexAll("R$CODE1 $ABC _x9$ TABLE$"),
              (Toks{{tkIdent, "R$CODE1"}, {tkUnknown, "$"}, {tkIdent, "ABC"}, {tkIdent, "_x9$"},
                    {tkIdent, "TABLE$"}}));
}

TEST(LexerWords, NonAsciiBytesAreNoLetters) {
    EXPECT_EQ(lexAll("ab\xE9" "cd"), (Toks{{tkIdent, "ab"}, {tkUnknown, "\xE9"}, {tkIdent, "cd"}}));
}

TEST(LexerNumbers, EndAtTheNumberEndClassOnly) {
    EXPECT_EQ(lexAll("12.5,"), (Toks{{tkNumber, "12.5"}, {tkDelimiter, ","}}));
    EXPECT_EQ(lexAll("12.)"), (Toks{{tkNumber, "12."}, {tkDelimiter, ")"}}));
    EXPECT_EQ(lexAll("15 2;"), (Toks{{tkNumber, "15"}, {tkNumber, "2"}, {tkDelimiter, ";"}}));
    EXPECT_EQ(lexAll("1|2"), (Toks{{tkNumber, "1"}, {tkUnknown, "|"}, {tkNumber, "2"}}));
    EXPECT_EQ(lexAll("7"), (Toks{{tkNumber, "7"}}));
}

TEST(LexerNumbers, MalformedNumbersTakeTheOffendingByte) {
    EXPECT_EQ(lexAll("1.2.3"), (Toks{{tkUnknown, "1.2."}, {tkNumber, "3"}}));
    EXPECT_EQ(lexAll("12abc"), (Toks{{tkUnknown, "12a"}, {tkIdent, "bc"}}));
    EXPECT_EQ(lexAll("12]"), (Toks{{tkUnknown, "12]"}}));
    // "(", "<", ">", ":" do not end a number either.
    EXPECT_EQ(lexAll("3(4"), (Toks{{tkUnknown, "3("}, {tkNumber, "4"}}));
    EXPECT_EQ(lexAll("3<4"), (Toks{{tkUnknown, "3<"}, {tkNumber, "4"}}));
}

TEST(LexerLiterals, QuotesIncludedAndDoubledQuotesKept) {
    EXPECT_EQ(lexAll("'a',"), (Toks{{tkString, "'a'"}, {tkDelimiter, ","}}));
    EXPECT_EQ(lexAll("''"), (Toks{{tkString, "''"}}));
    EXPECT_EQ(lexAll("'it''s' x"), (Toks{{tkString, "'it''s'"}, {tkIdent, "x"}}));
    EXPECT_EQ(lexAll("'a''''b'"), (Toks{{tkString, "'a''''b'"}}));
    EXPECT_EQ(lexAll("'x /* y */ \"z\"'"), (Toks{{tkString, "'x /* y */ \"z\"'"}}));
}

TEST(LexerLiterals, CutOffByTheEndGiveUnknownWithWhatWasRead) {
    EXPECT_EQ(lexAll("'abc"), (Toks{{tkUnknown, "'abc"}}));
    EXPECT_EQ(lexAll("'ab''"), (Toks{{tkUnknown, "'ab''"}}));
    EXPECT_EQ(lexAll("'"), (Toks{{tkUnknown, "'"}}));
    EXPECT_EQ(lexAll(std::string("'ab\0cd'", 7)), (Toks{{tkUnknown, "'ab"}}));
}

TEST(LexerQuotedNames, AreOneUnknownTokenWithBothQuotesAndDoubledQuotesKept) {
    const struct {
        const char* text;
        Toks tokens;
    } cases[] = {
        {"\"My Table\".x", {{tkUnknown, "\"My Table\""}, {tkDelimiter, "."}, {tkIdent, "x"}}},
        {"\"QUOTE\"\"D\" (", {{tkUnknown, "\"QUOTE\"\"D\""}, {tkDelimiter, "("}}},
        {"\"\"\"\"\"\",", {{tkUnknown, "\"\"\"\"\"\""}, {tkDelimiter, ","}}},  // a name of two quotes
        {"\"a\" \"b\"", {{tkUnknown, "\"a\""}, {tkUnknown, "\"b\""}}},
        {"\"open", {{tkUnknown, "\"open"}}},
        {"\"open\"\"", {{tkUnknown, "\"open\"\""}}},  // a doubled quote does not close it
    };
    for (const auto& c : cases) EXPECT_EQ(lexAll(c.text), c.tokens) << c.text;
}

TEST(LexerOperators, PairsAndSingles) {
    EXPECT_EQ(lexAll("<> <= >= || =<"),
              (Toks{{tkNotEqual, "<>"}, {tkLessEqual, "<="}, {tkGreaterEqual, ">="}, {tkConcat, "||"},
                    {tkOperator, "="}, {tkOperator, "<"}}));
    EXPECT_EQ(lexAll("!="), (Toks{{tkUnknown, "!"}, {tkOperator, "="}}));
    EXPECT_EQ(lexAll("a|b"), (Toks{{tkIdent, "a"}, {tkUnknown, "|"}, {tkIdent, "b"}}));
    EXPECT_EQ(lexAll("*+-=/ <>>"),
              (Toks{{tkOperator, "*"}, {tkOperator, "+"}, {tkOperator, "-"}, {tkOperator, "="},
                    {tkOperator, "/"}, {tkNotEqual, "<>"}, {tkOperator, ">"}}));
    EXPECT_EQ(lexAll("(),.:;[]"),
              (Toks{{tkDelimiter, "("}, {tkDelimiter, ")"}, {tkDelimiter, ","}, {tkDelimiter, "."},
                    {tkDelimiter, ":"}, {tkDelimiter, ";"}, {tkDelimiter, "["}, {tkDelimiter, "]"}}));
    EXPECT_EQ(lexAll("^ ~ @ # {} \\ \x01"),
              (Toks{{tkUnknown, "^"}, {tkUnknown, "~"}, {tkUnknown, "@"}, {tkUnknown, "#"}, {tkUnknown, "{"},
                    {tkUnknown, "}"}, {tkUnknown, "\\"}, {tkUnknown, "\x01"}}));
}

TEST(LexerComments, HaveEmptyTextAndEndAtTheFirstCloser) {
    EXPECT_EQ(lexAll("/* x */abc"), (Toks{{tkComment, ""}, {tkIdent, "abc"}}));
    EXPECT_EQ(lexAll("/* x **/y"), (Toks{{tkComment, ""}, {tkIdent, "y"}}));
    EXPECT_EQ(lexAll("/**/z"), (Toks{{tkComment, ""}, {tkIdent, "z"}}));
    // The opening star does not close: "/*/" is still open.
    EXPECT_EQ(lexAll("/*/ a */b"), (Toks{{tkComment, ""}, {tkIdent, "b"}}));
    EXPECT_EQ(lexAll("/ x"), (Toks{{tkOperator, "/"}, {tkIdent, "x"}}));
    EXPECT_EQ(lexAll("/* CREATE TABLE 'x */ 1"), (Toks{{tkComment, ""}, {tkNumber, "1"}}));
}

TEST(LexerComments, CutOffByTheEndIsStillAComment) {
    EXPECT_EQ(lexAll("/* open"), (Toks{{tkComment, ""}}));
    EXPECT_EQ(lexAll("/* open *"), (Toks{{tkComment, ""}}));
    EXPECT_EQ(lexAll("a /*"), (Toks{{tkIdent, "a"}, {tkComment, ""}}));
}

TEST(LexerEnd, RepeatsOnceReached) {
    for (std::string text : {std::string(), std::string(" \t\r\n\x1A \x1A"), std::string("abc"),
                             std::string("x\0y", 3), std::string("'cut"), std::string("/* cut")}) {
        TMyStream s;
        s.LoadFromString(text);
        TLex lex(s);
        while (lex.NextToken() != tkEnd) {}
        std::string last(lex.TokenText());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(lex.NextToken(), tkEnd);
            EXPECT_EQ(lex.TokenText(), last);  // the end leaves the last text as it was
        }
    }
}

TEST(LexerEnd, AByteZeroEndsTheTextExceptInsideAComment) {
    EXPECT_EQ(lexAll(std::string("a\0b", 3)), (Toks{{tkIdent, "a"}}));
    EXPECT_EQ(lexAll(std::string("12\0 3", 5)), (Toks{{tkNumber, "12"}}));
    // A comment reads through to a byte 0 and the lexer goes on after it.
    EXPECT_EQ(lexAll(std::string("/* a\0b c", 8)), (Toks{{tkComment, ""}, {tkIdent, "b"}, {tkIdent, "c"}}));
}

TEST(LexerStream, StartPosSkipsTheBytesBeforeIt) {
    TMyStream s;
    s.LoadFromString("skipped KEPT");
    s.StartPos = 8;
    TLex lex(s);
    ASSERT_EQ(lex.NextToken(), tkIdent);
    EXPECT_EQ(lex.TokenText(), "KEPT");
    EXPECT_EQ(lex.NextToken(), tkEnd);
    s.StartPos = 100;
    TLex past(s);
    EXPECT_EQ(past.NextToken(), tkEnd);
}

TEST(LexerStream, LoadingAMissingFileFailsWithItsName) {
    TMyStream s;
    try {
        s.LoadFromFile("/nonexistent/master.ddl");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("\"/nonexistent/master.ddl\""), std::string::npos) << e.what();
    }
    EXPECT_THROW(s.LoadFromFile(""), FileError);
    EXPECT_THROW(s.LoadFromFile("/tmp"), FileError);
}

TEST(LexerExtract, ATableDefinitionAsTheServerWritesIt) {
    auto toks = lexAll(
        "/* Table: T1, Owner: SYSDBA */\r\n"
        "CREATE TABLE T1 (ID INTEGER NOT NULL,\r\n"
        "        AMOUNT NUMERIC(15, 2) DEFAULT 0.5,\r\n"
        "        S VARCHAR(10) DEFAULT 'a''b',\r\n"
        "PRIMARY KEY (ID));\r\n");
    EXPECT_EQ(toks, (Toks{{tkComment, ""},      {tkKeyword, "CREATE"},  {tkKeyword, "TABLE"},
                          {tkIdent, "T1"},      {tkDelimiter, "("},     {tkIdent, "ID"},
                          {tkKeyword, "INTEGER"}, {tkKeyword, "NOT"},   {tkKeyword, "NULL"},
                          {tkDelimiter, ","},   {tkIdent, "AMOUNT"},    {tkKeyword, "NUMERIC"},
                          {tkDelimiter, "("},   {tkNumber, "15"},       {tkDelimiter, ","},
                          {tkNumber, "2"},      {tkDelimiter, ")"},     {tkKeyword, "DEFAULT"},
                          {tkNumber, "0.5"},    {tkDelimiter, ","},     {tkIdent, "S"},
                          {tkKeyword, "VARCHAR"}, {tkDelimiter, "("},   {tkNumber, "10"},
                          {tkDelimiter, ")"},   {tkKeyword, "DEFAULT"}, {tkString, "'a''b'"},
                          {tkDelimiter, ","},   {tkKeyword, "PRIMARY"}, {tkKeyword, "KEY"},
                          {tkDelimiter, "("},   {tkIdent, "ID"},        {tkDelimiter, ")"},
                          {tkDelimiter, ")"},   {tkDelimiter, ";"}}));
}

}  // namespace
}  // namespace quorvel::test
