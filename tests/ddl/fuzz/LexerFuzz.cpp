// Fuzz target of the DDL lexer: on any bytes it must not crash or read past
// the text, must give the same tokens as the byte-at-a-time lexer, and must
// repeat tkEnd once reached. The conversion and the reference scan, which
// drive the lexer, must end on any text too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../LexerEquivalence.h"
#include "ddl/SynchroDdl.h"
#include "ddl/TableOrder.h"
#include "ddl/TableReferences.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvel::ddl;
    std::string difference = quorvel::test::compareLexers(data, size);
    if (!difference.empty()) fail("lexer difference", difference);

    TMyStream stream;
    stream.LoadFromMemory(data, size);
    std::string script = ConvertText(stream, [](std::string_view name) { return name.size() % 2 == 1; });
    const std::string tail = SynchroTail().back() + "\r\n";
    if (script.size() < tail.size() || script.compare(script.size() - tail.size(), tail.size(), tail) != 0)
        fail("script without its closing lines", script);

    std::vector<TRefPair> pairs = FindReferences(stream);
    std::vector<std::string> tables;
    for (const TRefPair& p : pairs) tables.push_back(p.ChildTable), tables.push_back(p.ParentTable);
    TableOrder order = OrderTables(tables, pairs);
    if (order.tables.size() != tables.size()) fail("ordering lost tables", std::to_string(tables.size()));
    return 0;
}
