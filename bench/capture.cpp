// What the replication triggers cost a user's own work: inserts, updates and
// deletes of ITEMS, a statement per row, sent in one EXECUTE BLOCK per kind
// and then each from the client on its own, with the tool's triggers active
// against the same work with them inactive, on copies of one armed master. Best of the rounds, CPU of
// the whole process (the embedded engine's threads included) and wall time;
// and the journal's growth per change.
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

void setToolTriggers(Client& c, IAttachment* a, bool active) {
    execEach(c, a, {std::string("alter trigger R$1 ") + (active ? "active" : "inactive"),
                    std::string("alter trigger R$2 ") + (active ? "active" : "inactive"),
                    std::string("alter trigger R$3 ") + (active ? "active" : "inactive")});
}

struct Pass {
    Timing time;
    int64_t journalBytes = 0;
};

Pass run(const std::string& path, const std::string& kind, bool block, int rows, int k, bool active) {
    Client c;
    IAttachment* a = attach(c, path);
    setToolTriggers(c, a, active);
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
            buildArmedMaster(c, (dir / "master.fdb").string(), rows);
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
                    Timing on, off;
                    int64_t grown = 0, bare = 0;
                    for (int r = 0; r < rounds; ++r) {
                        for (bool active : {false, true}) {
                            copyFresh(master, {copy});
                            const Pass p = run(copy, kind.name, block, rows, k, active);
                            keepBest(active ? on : off, p.time, r == 0);
                            (active ? grown : bare) = p.journalBytes;
                        }
                    }
                    std::printf("%s, %s\n", kind.name, block ? "in one block" : "one statement per row");
                    line("  triggers inactive", off);
                    line("  triggers active", on);
                    ratio("  active / inactive", on.wall / off.wall, on.cpu / off.cpu, kind.goal);
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
