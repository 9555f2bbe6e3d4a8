// Speed of the DDL lexer and of the synchro definition conversion on a large
// generated extract, written the way `isql-fb -x` writes one.
//
//   cmake --build build --target bench_ddl_lexer && build/bench/bench_ddl_lexer [TABLES]
//
// (any build folder will do). TABLES (default 20000) sets the size: about
// 1.1 KB of extract per table. The lexer is meant to read at least 200 MB/s.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

#include "ddl/IbLex.h"
#include "ddl/SynchroDdl.h"
#include "ddl/TableOrder.h"
#include "ddl/TableReferences.h"

using namespace quorvel::ddl;

namespace {

std::string tableName(int i) { return "TAB_" + std::to_string(i); }

std::string makeExtract(int tables) {
    static const char* const types[] = {"INTEGER", "VARCHAR(40)", "NUMERIC(15, 2)", "TIMESTAMP",
                                        "CHAR(10)", "BLOB SUB_TYPE TEXT SEGMENT SIZE 80", "DNAME",
                                        "DOUBLE PRECISION", "SMALLINT"};
    std::string s;
    s.reserve(static_cast<size_t>(tables) * 1800);
    s += "\nSET SQL DIALECT 1; \n\n/* CREATE DATABASE 'big.fdb' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE; */\n\n";
    s += "\n/*  Generators or sequences */\n";
    for (int i = 0; i < tables; i += 10) s += "CREATE GENERATOR GEN_" + std::to_string(i) + ";\n";
    s += "\n/* Domain definitions */\nCREATE DOMAIN DNAME AS VARCHAR(30)\n         DEFAULT 'it''s' NOT NULL;\n";
    s += "COMMIT WORK;\n";
    unsigned seed = 12345;
    auto rnd = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int t = 0; t < tables; ++t) {
        std::string name = tableName(t);
        s += "\n/* Table: " + name + ", Owner: SYSDBA */\n";
        s += "CREATE TABLE " + name + " (ID INTEGER NOT NULL,\n";
        int columns = 10 + static_cast<int>(rnd(30));
        for (int c = 0; c < columns; ++c) {
            s += "        COLUMN_" + std::to_string(c) + " " + types[rnd(9)];
            if (rnd(5) == 0) s += " DEFAULT " + std::to_string(rnd(100000)) + ".25";
            if (rnd(7) == 0) s += " NOT NULL";
            s += ",\n";
        }
        s += "        R$CODE1 INTEGER,\n        R$CODE2 INTEGER,\nPRIMARY KEY (ID));\n";
    }
    s += "\nCOMMIT WORK;\nSET AUTODDL OFF;\nSET TERM ^ ;\n\n/* Stored procedures headers */\n"
         "CREATE OR ALTER PROCEDURE R$FILL (I INTEGER)\nRETURNS (C INTEGER)\nAS \nBEGIN SUSPEND; END ^\n\n"
         "SET TERM ; ^\nCOMMIT WORK;\nSET AUTODDL ON;\n\n/*  Index definitions for all user tables */\n";
    for (int t = 0; t < tables; t += 3)
        s += "CREATE INDEX IX_" + std::to_string(t) + " ON " + tableName(t) + " (COLUMN_1);\n";
    for (int t = 1; t < tables; ++t)
        if (rnd(2) == 0)
            s += "ALTER TABLE " + tableName(t) + " ADD FOREIGN KEY (COLUMN_2) REFERENCES " +
                 tableName(static_cast<int>(rnd(static_cast<unsigned>(t)))) + " (ID);\n";
    for (int t = 0; t < tables; t += 50)
        s += "\n/* View: V_" + std::to_string(t) + ", Owner: SYSDBA */\nCREATE VIEW V_" + std::to_string(t) +
             " (ID) AS\nSELECT ID FROM " + tableName(t) + " WHERE COLUMN_0 <> 'x' OR ID >= 10;\n";
    s += "COMMIT WORK;\n";
    return s;
}

double seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int tables = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (tables < 1) {
        std::fprintf(stderr, "usage: %s [TABLES]\n", argv[0]);
        return 2;
    }
    std::string extract = makeExtract(tables);
    TMyStream stream;
    stream.LoadFromString(extract);
    const double mb = static_cast<double>(extract.size()) / 1e6;
    std::printf("extract: %d tables, %.1f MB\n", tables, mb);

    // Lexing alone: best of five scans.
    size_t tokens = 0, textBytes = 0;
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        best = std::min(best, seconds([&] {
            tokens = textBytes = 0;
            TLex lex(stream);
            while (lex.NextToken() != tkEnd) {
                ++tokens;
                textBytes += lex.TokenText().size();
            }
        }));
    }
    std::printf("lexer: %zu tokens (%zu bytes of token text), %.3f s, %.0f MB/s\n", tokens, textBytes, best,
                mb / best);

    // The conversion core: every other table is a working table.
    auto working = [](std::string_view name) { return name.size() > 4 && (name.back() - '0') % 2 == 0; };
    std::string script;
    double convert = seconds([&] { script = ConvertText(stream, working); });
    std::printf("conversion to script (in memory): %.3f s, %.1f MB written\n", convert,
                static_cast<double>(script.size()) / 1e6);

    // The whole conversion from file to file.
    auto dir = std::filesystem::temp_directory_path();
    std::string source = (dir / ("bench-ddl-" + std::to_string(::getpid()) + ".ddl")).string();
    std::string target = (dir / ("bench-ddl-" + std::to_string(::getpid()) + ".txt")).string();
    WriteWholeFile(source, extract);
    double whole = seconds([&] { ConvertDDL(source, target, working); });
    std::printf("whole conversion, file to file: %.3f s\n", whole);
    std::filesystem::remove(source);
    std::filesystem::remove(target);

    // The ordering without its database part: references and passes.
    std::vector<std::string> names;
    for (int t = 0; t < tables; ++t) names.push_back(tableName(t));
    std::sort(names.begin(), names.end());  // as the catalog lists them, by name
    std::vector<TRefPair> pairs;
    TableOrder order;
    double refs = seconds([&] { pairs = FindReferences(stream); });
    double ordering = seconds([&] { order = OrderTables(names, pairs); });
    std::printf("references: %zu pairs in %.3f s; ordering %d tables: %.3f s%s\n", pairs.size(), refs, tables,
                ordering, order.cycleTables.empty() ? "" : " (cycle!)");

    // The same with two tables that reference each other: the passes run to
    // their bound.
    pairs.push_back({tableName(0), tableName(tables - 1)});
    pairs.push_back({tableName(tables - 1), tableName(0)});
    double cyclic = seconds([&] { order = OrderTables(names, pairs); });
    std::printf("ordering with a reference cycle: %.3f s, %zu tables in the cycle\n", cyclic,
                order.cycleTables.size());
    return 0;
}
