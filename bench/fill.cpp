// Speed and memory of "Fill SYNCHRO gdb" (synchro::FillSynchro) against a
// copy of the same changes written straight on the Firebird client.
//
// Run from the repository root:
//   bash scripts/build.sh && build/bench/bench_fill
// Arguments: the number of rounds whose best times are shown (default 1),
// then the table sizes (default 100000 1000000).
//
// Per size: an armed master of N rows (ITEMS, the transfer benchmark's column
// mix), then, through its triggers, the changes since the last mark: 10,000
// new rows, 10,000 updates of old rows spread over the table, 1,000 deletes
// of other old rows. Each round copies that master and an empty synchro
// database twice: the reference fills one pair, FillSynchro the other. Both
// send the new rows, the updated rows and the whole journal, write the
// previous mark into the synchro database and a new one into the local
// history, synchro committed first; the timings leave out the attachments.
// Goals, on CPU time: the fill within 1.2 times the reference at every size;
// from the smaller size to the larger, the fill's time grows no more than the
// reference's (its cost follows the changes, not the table); peak memory
// under 100 MB.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "exchange_bench.h"
#include "synchro/Operations.h"

using namespace bench;

namespace {

// The changes since the last mark, made through the master's triggers, so
// the journal holds a "U" per update and a "D" per delete.
void changeSinceMark(Client& c, const std::string& path, int rows) {
    const std::string step = std::to_string(changeStep(rows));
    IAttachment* a = attach(c, path);
    execEach(c, a,
             {fillItems(rows + 1, rows + kInserts, 0, 0),
              "EXECUTE BLOCK AS DECLARE K INTEGER = 1; BEGIN WHILE (K <= " + std::to_string(kUpdates) +
                  ") DO BEGIN UPDATE ITEMS SET CITY = 'Moved ' || :K, AMOUNT = AMOUNT + 1 WHERE ID = :K * " +
                  step + "; K = K + 1; END END",
              "EXECUTE BLOCK AS DECLARE K INTEGER = 1; BEGIN WHILE (K <= " + std::to_string(kDeletes) +
                  ") DO BEGIN DELETE FROM ITEMS WHERE ID = :K * " + step + " - 1; K = K + 1; END END"});
    a->detach(&c.status);
}

// The master with its changes, and the empty synchro database.
void build(Client& c, int rows, const fs::path& dir) {
    const std::string master = (dir / "master.fdb").string();
    buildArmedMaster(c, master, rows);
    changeSinceMark(c, master, rows);
    std::vector<std::string> synchro{kCreateItems};
    for (const std::string& statement : synchroTables()) synchro.push_back(statement);
    createDatabase(c, (dir / "empty-synchro.fdb").string(), synchro);
}

struct Moved {
    int64_t rows = 0, journal = 0;
};

// What a hand-written fill does: the journal, with what the triggers
// captured moved into it, each entry stamped with the fill that first
// carries it; the rows created after the mark through the
// code index, the rows named by "U" entries through a join driven by the
// journal; the marks; synchro committed first.
Moved referenceFill(Client& c, IAttachment* local, IAttachment* synchro, int rows) {
    Moved m;
    ThrowStatusWrapper& st = c.status;
    ITransaction* tl = local->startTransaction(&st, sizeof kTpb, kTpb);
    ITransaction* ts = synchro->startTransaction(&st, sizeof kTpb, kTpb);
    const std::string mark = std::to_string(rows + 1);
    synchro->execute(&st, ts, 0, ("insert into R$SYNCHRO values (0, '" + quorvel::todayText() + "', 0, " + mark + ")").c_str(),
                     1, nullptr, nullptr, nullptr, nullptr);
    // What the triggers captured joins the indexed journal, set-based; each
    // entry is stamped with the fill that first carries it, so that it can
    // go once every peer has read that fill; then sent with its origin.
    for (const char* sql : {"insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME, SEEN)"
                            " select R$CODE1, R$CODE2, OPERATION, TABLENAME, SEEN from R$CAPTURED",
                            "delete from R$CAPTURED",
                            "update R$DELETEDUPDATED set FIRSTFILL = 1 where FIRSTFILL is null"})
        local->execute(&st, tl, 0, sql, 1, nullptr, nullptr, nullptr, nullptr);
    m.journal = copyRows(c, local, tl, synchro, ts,
                         "select R$CODE1, R$CODE2, OPERATION, TABLENAME, coalesce(ORIGIN, 0), FIRSTFILL, SEEN"
                         " from R$DELETEDUPDATED",
                         "insert into R$DELETEDUPDATED values (?, ?, ?, ?, ?, ?, ?)");
    const char* insert = "insert into ITEMS values (?, ?, ?, ?, ?, ?, ?, ?)";
    m.rows = copyRows(c, local, tl, synchro, ts,
                      "select * from ITEMS where R$CODE1 = 0 and R$CODE2 > " + mark, insert);
    m.rows += copyRows(c, local, tl, synchro, ts,
                       "select T.* from R$DELETEDUPDATED J join ITEMS T"
                       " on T.R$CODE1 = J.R$CODE1 and T.R$CODE2 = J.R$CODE2"
                       " where J.TABLENAME = 'ITEMS' and J.OPERATION = 'U' and T.R$CODE2 <= " + mark,
                       insert);
    local->execute(&st, tl, 0,
                   ("insert into R$SYNCHRO select 1, '" + quorvel::todayText() +
                    "', gen_id(R$Gen1, 0), gen_id(R$Gen2, 1) from RDB$DATABASE").c_str(),
                   1, nullptr, nullptr, nullptr, nullptr);
    ts->commit(&st);
    tl->commit(&st);
    return m;
}

struct Result {
    Timing reference, fill;
};

Result runSize(int rows, int rounds, const fs::path& dir) {
    const std::string master = (dir / "master.fdb").string(), empty = (dir / "empty-synchro.fdb").string();
    const std::string refLocal = (dir / "ref-local.fdb").string(), refSynchro = (dir / "ref-synchro.fdb").string();
    const std::string fillLocal = (dir / "fill-local.fdb").string(),
                      fillSynchro = (dir / "fill-synchro.fdb").string();
    buildInChild(rows, dir);
    std::printf("rows: %d, changes: %d inserts, %d updates, %d deletes\n", rows, kInserts, kUpdates, kDeletes);

    Result best;
    for (int round = 0; round < rounds; ++round) {
        copyFresh(master, {refLocal, fillLocal});
        copyFresh(empty, {refSynchro, fillSynchro});

        Moved ref;
        Timing tr;
        {
            Client c;
            IAttachment* local = attach(c, refLocal);
            IAttachment* synchro = attach(c, refSynchro);
            tr = measure([&] { ref = referenceFill(c, local, synchro, rows); });
            synchro->detach(&c.status);
            local->detach(&c.status);
        }

        quorvel::synchro::FillReport report;
        const Timing tf = timedOperation(fillLocal, fillSynchro, "fill", [&](quorvel::DM& dm, quorvel::Reporter& ui) {
            return quorvel::synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui, &report);
        });
        // A fill that sent less would look fast.
        const int64_t sent = report.tables.empty() ? 0 : report.tables.front().rows;
        if (sent != ref.rows || report.journalEntries != ref.journal)
            throw std::runtime_error("the fill sent " + std::to_string(sent) + " rows and " +
                                     std::to_string(report.journalEntries) + " journal entries, the reference " +
                                     std::to_string(ref.rows) + " and " + std::to_string(ref.journal));
        if (round == 0)
            std::printf("sent: %lld rows, %lld journal entries\n", static_cast<long long>(sent),
                        static_cast<long long>(report.journalEntries));
        keepBest(best.reference, tr, round == 0);
        keepBest(best.fill, tf, round == 0);
    }
    for (const std::string& f : {master, empty, refLocal, refSynchro, fillLocal, fillSynchro}) fs::remove(f);

    line("reference fill", best.reference);
    line("FillSynchro", best.fill);
    ratio("fill / reference", best.fill.wall / best.reference.wall, best.fill.cpu / best.reference.cpu,
          1.2);
    std::printf("\n");
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows even when piped to a file
    if (argc > 1 && std::string(argv[1]) == "--build") return runBuilder(argc, argv, build);
    const std::optional<BenchArgs> args = parseBenchArgs(argc, argv);
    if (!args) return 2;
    return inScratchFolder("fill", [&](const fs::path& dir) {
        std::vector<Result> results;
        for (int n : args->sizes) results.push_back(runSize(n, args->rounds, dir));
        if (args->sizes.size() == 2) {
            // As for the read: the fill adds no growth of its own to the server's.
            std::printf("fill at %d / fill at %d\n", args->sizes[1], args->sizes[0]);
            const double referenceGrowth = results[1].reference.cpu / results[0].reference.cpu;
            ratio("reference", results[1].reference.wall / results[0].reference.wall, referenceGrowth, 0);
            ratio("fill", results[1].fill.wall / results[0].fill.wall, results[1].fill.cpu / results[0].fill.cpu,
                  std::max(referenceGrowth, 1.0));
        }
    });
}
