#include "replica/Captured.h"

#include <string>

#include "replica/Presence.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

const char* const kCapture = "R$CAPTURED";

std::string literal(const std::optional<int64_t>& v) { return v ? std::to_string(*v) : "null"; }

// One pass over what the transaction sees, each entry removed through the
// cursor that moved it: right under any isolation, and never touching an
// entry a user commits while it runs. ("::" reaches the server as one colon.)
std::string absorbing(const CaptureStamps& stamps) {
    return "execute block as\n"
           "declare variable C1 Integer;\n"
           "declare variable C2 Integer;\n"
           "declare variable Op Char(1);\n"
           "declare variable T Char(31);\n"
           "declare variable S Integer;\n"
           "begin\n"
           "  for select R$Code1, R$Code2, Operation, TableName, Seen from R$CAPTURED\n"
           "      into ::C1, ::C2, ::Op, ::T, ::S as cursor Captured do\n"
           "  begin\n"
           "    insert into R$DELETEDUPDATED (R$Code1, R$Code2, Operation, TableName, Seen, FirstFill)\n"
           "    values (::C1, ::C2, ::Op, ::T, coalesce(::S, " + literal(stamps.seen) + "), " +
           literal(stamps.firstFill) + ");\n"
           "    delete from R$CAPTURED where current of Captured;\n"
           "  end\n"
           "end";
}

}  // namespace

void absorbCaptured(engine::Database& db, const CaptureStamps& stamps) {
    if (TablePresent(db, kCapture)) run(db, absorbing(stamps));
}

void emptyJournal(engine::Database& db) {
    db.execute("delete from R$DELETEDUPDATED");
    if (TablePresent(db, kCapture)) db.execute("delete from R$CAPTURED");
}

}  // namespace quorvel::replica
