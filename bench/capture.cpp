// What the replication triggers cost a user's own work: inserts, updates and
// deletes of ITEMS, a statement per row, sent in one EXECUTE BLOCK per kind
// and then each from the client on its own, with the tool's triggers active
// against the same work with them inactive, on copies of one armed master. Best of the rounds, CPU of
// the whole process (the embedded engine's threads included) and wall time;
// and the journal's growth per change.
// Beside them, the least any capture by trigger can cost on this server: the
// tool's trigger of the kind replaced by one that only draws the two words of
// a code (insert) or only writes the row's code into a table without index
// (update, delete), with none of the tool's checks. What the tool adds to
// that floor is its checks; what the floor adds to the bare statement, no
// trigger of any design can save.
// For updates, also the other way to mark one instead of writing an entry: a
// stamp on the row itself (the last master fill read, in a column without
// index) that a BEFORE UPDATE trigger sets with all of the tool's checks; the
// fill and the read would then find updated rows by reading whole tables. ITEMS is built with that column, its rows already written in the
// table's format with it, so that no case pays for converting them.
//
// Usage: bench_capture [rounds] [rows...]   (3 rounds; 100,000 rows)
#include "exchange_bench.h"

using namespace bench;

namespace {

// K statements of one kind, as a user's program would send them: in one
// EXECUTE BLOCK (`block`: the server's own cost of a statement, where the
// triggers weigh most), or each from the client on its own, prepared once
// and executed with the row's ID (what a program's form or loop does).
std::string blockOf(const std::string& kind, int rows, int k) {
    const std::string n = std::to_string(k), base = std::to_string(rows);
    const std::string each =
        kind == "insert" ? "INSERT INTO ITEMS (ID, NAME, CITY, AMOUNT) VALUES (" + base + " + :I, 'New ' || :I, 'Here', :I);"
        : kind == "update" ? "UPDATE ITEMS SET CITY = 'Moved ' || :I, AMOUNT = AMOUNT + 1 WHERE ID = :I;"
                           : "DELETE FROM ITEMS WHERE ID = :I;";
    return "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + n + ") DO BEGIN " + each +
           " I = I + 1; END END";
}

std::string statementOf(const std::string& kind) {
    return kind == "insert"   ? "INSERT INTO ITEMS (ID, NAME, CITY, AMOUNT) VALUES (?, 'New', 'Here', 1)"
           : kind == "update" ? "UPDATE ITEMS SET CITY = 'Moved', AMOUNT = AMOUNT + 1 WHERE ID = ?"
                              : "DELETE FROM ITEMS WHERE ID = ?";
}

void eachOnItsOwn(Client& c, IAttachment* a, const std::string& kind, int rows, int k) {
    ITransaction* t = a->startTransaction(&c.status, 0, nullptr);
    IStatement* st = a->prepare(&c.status, t, 0, statementOf(kind).c_str(), 1, 0);
    IMessageMetadata* in = st->getInputMetadata(&c.status);
    std::vector<unsigned char> message(in->getMessageLength(&c.status));
    auto* id = reinterpret_cast<int32_t*>(message.data() + in->getOffset(&c.status, 0));
    *reinterpret_cast<int16_t*>(message.data() + in->getNullOffset(&c.status, 0)) = 0;
    for (int i = 1; i <= k; ++i) {
        *id = kind == "insert" ? rows + i : i;
        st->execute(&c.status, t, in, message.data(), nullptr, nullptr);
    }
    in->release();
    st->free(&c.status);
    t->commit(&c.status);
}

enum class Capture { None, Tool, Floor, Stamp };

// The tool's checks of an update (the read's own writes pass over, a save of
// the same values is no change) around a stamp of the row.
const char* const kStampTrigger =
    "create trigger BENCH_STAMP_CAPTURE for ITEMS before update as begin "
    "if (rdb$get_context('USER_TRANSACTION', 'R$READING') is null and (new.ID is distinct from old.ID "
    "or new.NAME is distinct from old.NAME or new.CITY is distinct from old.CITY or new.AMOUNT is distinct from "
    "old.AMOUNT or new.STAMP is distinct from old.STAMP or new.NOTE is distinct from old.NOTE or new.R$CODE1 is "
    "distinct from old.R$CODE1 or new.R$CODE2 is distinct from old.R$CODE2)) then "
    "new.BENCH_SEEN = (select LastRead from R$PEERS where SiteNumber = 0); end";

// The floor's trigger for `kind` on ITEMS, the tool's own switched off.
void installFloor(Client& c, IAttachment* a, const std::string& kind) {
    const std::string body =
        kind == "insert" ? "before insert as begin new.R$CODE2 = gen_id(R$GEN2, 1); new.R$CODE1 = gen_id(R$GEN1, 0); end"
        : kind == "update"
            ? "after update as begin insert into BENCH_FLOOR values (old.R$CODE1, old.R$CODE2); end"
            : "after delete as begin insert into BENCH_FLOOR values (old.R$CODE1, old.R$CODE2); end";
    execEach(c, a, {"create table BENCH_FLOOR (R$CODE1 integer, R$CODE2 integer)",
                    "create trigger BENCH_FLOOR_CAPTURE for ITEMS " + body});
}

void setToolTriggers(Client& c, IAttachment* a, bool active) {
    execEach(c, a, {std::string("alter trigger R$1 ") + (active ? "active" : "inactive"),
                    std::string("alter trigger R$2 ") + (active ? "active" : "inactive"),
                    std::string("alter trigger R$3 ") + (active ? "active" : "inactive")});
}

struct Pass {
    Timing time;
    int64_t journalBytes = 0;
};

Pass run(const std::string& path, const std::string& kind, bool block, int rows, int k, Capture capture) {
    Client c;
    IAttachment* a = attach(c, path);
    setToolTriggers(c, a, capture == Capture::Tool);
    if (capture == Capture::Floor) installFloor(c, a, kind);
    if (capture == Capture::Stamp) execEach(c, a, {kStampTrigger});
    const auto before = fs::file_size(path);
    Pass p;
    p.time = measure([&] {
        if (block)
            execEach(c, a, {blockOf(kind, rows, k)});
        else
            eachOnItsOwn(c, a, kind, rows, k);
    });
    a->detach(&c.status);
    p.journalBytes = static_cast<int64_t>(fs::file_size(path)) - static_cast<int64_t>(before);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--build")
        return runBuilder(argc, argv, [](Client& c, int rows, const fs::path& dir) {
            const std::string path = (dir / "master.fdb").string();
            buildArmedMaster(c, path, rows);
            // Every row rewritten in the format with the stamp's column (the
            // tool's triggers off, so nothing is journaled), and the former
            // versions collected.
            IAttachment* a = attach(c, path);
            setToolTriggers(c, a, false);
            execEach(c, a, {"alter table ITEMS add BENCH_SEEN integer", "update ITEMS set BENCH_SEEN = null"});
            countOf(c, a, "select count(*) from ITEMS");
            setToolTriggers(c, a, true);
            a->detach(&c.status);
        });
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000};
    const fs::path dir = fs::temp_directory_path() / ("quorvel-bench-capture-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    try {
        for (int rows : sizes) {
            buildInChild(rows, dir);
            const std::string master = (dir / "master.fdb").string(), copy = (dir / "copy.fdb").string();
            const int k = rows / 2;
            std::printf("\n%d rows, %d statements of each kind, best of %d rounds\n", rows, k, rounds);
            struct Kind {
                const char* name;
                double goal;
            };
            for (const bool block : {true, false})
                for (const Kind kind : {Kind{"insert", 1.1}, Kind{"update", 1.25}, Kind{"delete", 1.5}}) {
                    const bool updates = std::string(kind.name) == "update";
                    Timing on, off, floor, stamp;
                    int64_t grown = 0, bare = 0;
                    for (int r = 0; r < rounds; ++r) {
                        for (Capture capture : {Capture::None, Capture::Tool, Capture::Floor, Capture::Stamp}) {
                            if (capture == Capture::Stamp && !updates) continue;
                            copyFresh(master, {copy});
                            const Pass p = run(copy, kind.name, block, rows, k, capture);
                            Timing& best = capture == Capture::None   ? off
                                           : capture == Capture::Tool ? on
                                           : capture == Capture::Floor ? floor
                                                                       : stamp;
                            keepBest(best, p.time, r == 0);
                            if (capture == Capture::None) bare = p.journalBytes;
                            if (capture == Capture::Tool) grown = p.journalBytes;
                        }
                    }
                    std::printf("%s, %s\n", kind.name, block ? "in one block" : "one statement per row");
                    line("  triggers inactive", off);
                    line("  triggers active", on);
                    line("  least trigger", floor);
                    ratio("  active / inactive", on.wall / off.wall, on.cpu / off.cpu, kind.goal);
                    ratio("  least trigger / inactive", floor.wall / off.wall, floor.cpu / off.cpu, 0);
                    if (updates) {
                        line("  stamp on the row", stamp);
                        ratio("  stamp / inactive", stamp.wall / off.wall, stamp.cpu / off.cpu, 0);
                    }
                    std::printf("  %-26s %8.1f bytes of file per change\n", "journal and versions",
                                static_cast<double>(grown - bare) / k);
                }
        }
    } catch (const FbException& e) {
        std::fprintf(stderr, "Firebird client: %s\n", errorText(e).c_str());
        fs::remove_all(dir);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fs::remove_all(dir);
        return 1;
    }
    fs::remove_all(dir);
    return 0;
}
