// Speed and memory of the record transfer (RecordTransfer: append, and overwrite by the record code) against a copy
// written straight on the Firebird client with prepared statements.
//
// Run from the repository root:
//   bash scripts/build.sh && build/bench/bench_transfer 1000000
// Arguments: the number of rows (default 100000), the number of rounds whose
// best times are shown (default 1), a work folder for the databases (default:
// a fresh folder in /tmp, removed at the end). On a shared machine the same
// pass may take a third longer from one round to the next: each round's
// ratios are shown, and the goals judge the best of several rounds.
//
// Both sides move the same rows between two embedded databases, one
// transaction on each database, committed at the end; each timing covers
// preparing, opening the source, moving every row and the commits. Each
// target meets the same passes: one append, then two updates of every row
// (the transfer's second update keeping the rows updated here, one row in a hundred then
// marked as updated locally). Printed: rows per second with wall and CPU
// time, the peak memory after each pass, the ratios transfer / reference.
// Goals, on CPU time (steadier than wall time on a shared machine): append
// within 1.1 times the reference insert copy, overwrite by the record code
// within 1.2 times the reference prepared update by key, and within 1.3 times
// with the local journal's test; peak memory under 100 MB at 1,000,000 rows.
#include <firebird/Interface.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/DM.h"
#include "engine/Aliases.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "replica/Catalogue.h"
#include "synchro/JournalLookup.h"
#include "synchro/RecordTransfer.h"

namespace fs = std::filesystem;
using namespace Firebird;

namespace {

// The table that travels: an integer key, two VARCHARs, a NUMERIC, a
// TIMESTAMP, a text BLOB that is NULL on every other row, and the record code.
const char* const kCreateItems =
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(60),"
    " AMOUNT NUMERIC(15,2), STAMP TIMESTAMP, NOTE BLOB SUB_TYPE TEXT,"
    " R$CODE1 INTEGER, R$CODE2 INTEGER)";

// Every working table has it: the overwrite finds its rows by their record code.
const char* const kCreateCodeIndex = "CREATE INDEX R$ITEMS_CODE ON ITEMS (R$CODE1, R$CODE2)";

// The journal as the first synchro databases had it: four columns, keyed.
std::string journalTable() {
    for (const auto& o : quorvel::replica::catalogue::synchroObjects())
        if (o.name == "R$DELETEDUPDATED") return quorvel::replica::catalogue::createStatement(o, 1, 1);
    throw std::logic_error("no journal in the catalogue");
}

const char* const kFillItems =
    "EXECUTE BLOCK (N INTEGER = ?) AS DECLARE I INTEGER = 1; BEGIN"
    " WHILE (I <= N) DO BEGIN"
    "  INSERT INTO ITEMS VALUES (:I, 'Customer number ' || :I, 'City ' || MOD(:I, 977),"
    "   :I * 0.37, CAST('2026-01-01 08:00:00' AS TIMESTAMP) + :I / 86400.0,"
    "   CASE WHEN MOD(:I, 2) = 0 THEN NULL"
    "   ELSE 'A note of row ' || :I || ' that says a little about the customer and the order.' END,"
    "   0, :I);"
    "  I = I + 1; END END";

// ---------------------------------------------------------------------------
// The Firebird client, straight.

IMaster* master() { return fb_get_master_interface(); }

// The transactions the engine starts: read committed, record versions, no wait.
const unsigned char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                              isc_tpb_rec_version, isc_tpb_nowait};

struct Client {
    ThrowStatusWrapper status{master()->getStatus()};
    IProvider* provider = master()->getDispatcher();
    ~Client() {
        provider->release();
        status.dispose();
    }
};

std::string errorText(const FbException& e) {
    char buf[2048];
    master()->getUtilInterface()->formatStatus(buf, sizeof buf, e.getStatus());
    return buf;
}

IXpbBuilder* loginDpb(ThrowStatusWrapper& st, bool create) {
    IXpbBuilder* dpb = master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    if (create) {
        dpb->insertInt(&st, isc_dpb_sql_dialect, 1);
        dpb->insertInt(&st, isc_dpb_page_size, 8192);
        dpb->insertInt(&st, isc_dpb_force_write, 0);
    }
    return dpb;
}

IAttachment* attach(Client& c, const std::string& path) {
    IXpbBuilder* dpb = loginDpb(c.status, false);
    IAttachment* a = c.provider->attachDatabase(&c.status, path.c_str(), dpb->getBufferLength(&c.status),
                                                dpb->getBuffer(&c.status));
    dpb->dispose();
    return a;
}

void createDatabase(Client& c, const std::string& path, const std::vector<std::string>& ddl) {
    IXpbBuilder* dpb = loginDpb(c.status, true);
    IAttachment* a = c.provider->createDatabase(&c.status, path.c_str(), dpb->getBufferLength(&c.status),
                                                dpb->getBuffer(&c.status));
    dpb->dispose();
    for (const auto& sql : ddl) {
        ITransaction* t = a->startTransaction(&c.status, 0, nullptr);
        a->execute(&c.status, t, 0, sql.c_str(), 1, nullptr, nullptr, nullptr, nullptr);
        t->commit(&c.status);
    }
    a->detach(&c.status);
}

void fillSource(Client& c, const std::string& path, int rows) {
    IAttachment* a = attach(c, path);
    ITransaction* t = a->startTransaction(&c.status, 0, nullptr);
    IStatement* s = a->prepare(&c.status, t, 0, kFillItems, 1, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* in = s->getInputMetadata(&c.status);
    std::vector<unsigned char> buf(in->getMessageLength(&c.status));
    *reinterpret_cast<int*>(buf.data() + in->getOffset(&c.status, 0)) = rows;
    *reinterpret_cast<short*>(buf.data() + in->getNullOffset(&c.status, 0)) = 0;
    s->execute(&c.status, t, in, buf.data(), nullptr, nullptr);
    in->release();
    s->free(&c.status);
    t->commit(&c.status);
    a->detach(&c.status);
}

// Copies every row of `selectSql` on `from` through the prepared `writeSql`
// on `to`, the select's message serving as the statement's input. BLOBs are
// copied into new BLOBs of the target.
void referenceCopy(Client& c, IAttachment* src, IAttachment* dst, const char* selectSql, const char* writeSql) {
    ThrowStatusWrapper& st = c.status;
    ITransaction* ts = src->startTransaction(&st, sizeof kTpb, kTpb);
    ITransaction* td = dst->startTransaction(&st, sizeof kTpb, kTpb);

    IStatement* sel = src->prepare(&st, ts, 0, selectSql, 1, IStatement::PREPARE_PREFETCH_METADATA);
    IStatement* write = dst->prepare(&st, td, 0, writeSql, 1, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* meta = sel->getOutputMetadata(&st);
    std::vector<unsigned char> buf(meta->getMessageLength(&st));
    struct BlobColumn { unsigned offset, nullOffset; };
    std::vector<BlobColumn> blobs;
    for (unsigned i = 0; i < meta->getCount(&st); ++i)
        if ((meta->getType(&st, i) & ~1u) == SQL_BLOB)
            blobs.push_back({meta->getOffset(&st, i), meta->getNullOffset(&st, i)});

    IResultSet* rs = sel->openCursor(&st, ts, nullptr, nullptr, meta, 0);
    std::vector<char> segment(32768);
    while (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK) {
        for (const auto& b : blobs) {
            if (*reinterpret_cast<short*>(buf.data() + b.nullOffset)) continue;
            auto* id = reinterpret_cast<ISC_QUAD*>(buf.data() + b.offset);
            IBlob* in = src->openBlob(&st, ts, id, 0, nullptr);
            IBlob* out = dst->createBlob(&st, td, id, 0, nullptr);
            unsigned len = 0;
            for (;;) {
                int r = in->getSegment(&st, segment.size(), segment.data(), &len);
                if (r != IStatus::RESULT_OK && r != IStatus::RESULT_SEGMENT) break;
                out->putSegment(&st, len, segment.data());
            }
            in->close(&st);
            out->close(&st);
        }
        write->execute(&st, td, meta, buf.data(), nullptr, nullptr);
    }
    rs->close(&st);
    meta->release();
    sel->free(&st);
    write->free(&st);
    td->commit(&st);
    ts->commit(&st);
}

// ---------------------------------------------------------------------------
// Measuring.

double peakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// Wall time, and the CPU time of the whole process (the embedded server's
// threads included), which the other work on a shared machine does not
// disturb as much.
struct Timing {
    double wall = 0, cpu = 0;
    double peakAfter = 0;  // MB, peak memory of the process so far
    double worstWall = 0, worstCpu = 0;  // the slowest round's
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

Timing measure(const std::function<void()>& run) {
    // Pages a previous pass or a copy left to the kernel are written first:
    // their writeback would otherwise fall on whichever side comes next.
    ::sync();
    auto t0 = std::chrono::steady_clock::now();
    double c0 = cpuSeconds();
    run();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), cpuSeconds() - c0,
            peakMegabytes()};
}


void line(const char* what, int rows, Timing t) {
    std::printf("%-32s %10.0f rows/s  (%.2f s wall, %.2f s CPU, peak so far %.1f MB", what, rows / t.wall,
                t.wall, t.cpu, t.peakAfter);
    if (t.worstWall > t.wall || t.worstCpu > t.cpu)
        std::printf("; spread +%.0f%% wall +%.0f%% CPU", 100 * (t.worstWall / t.wall - 1), 100 * (t.worstCpu / t.cpu - 1));
    std::printf(")\n");
}

void ratio(const char* what, Timing transfer, Timing reference, double goal) {
    double wall = transfer.wall / reference.wall, cpu = transfer.cpu / reference.cpu;
    std::printf("%-32s %6.2f wall %6.2f CPU", what, wall, cpu);
    // Wall time, what a user waits, gets a tenth more than CPU.
    if (goal > 0)
        std::printf("   goal <= %.2f CPU, %.2f wall  %s", goal, goal + 0.1,
                    cpu <= goal && wall <= goal + 0.1 ? "met" : "MISSED");
    std::printf("\n");
}

// One transfer between the two connected databases, in one transaction on
// each, as the fill and the read run it.
Timing timeTransfer(quorvel::DM& dm, quorvel::engine::Query& source, uint8_t mode, bool checkUpdated) {
    return measure([&] {
        dm.SynchroDB().startTransaction();
        dm.UserDB().startTransaction();
        quorvel::engine::Table target(dm.UserDB());
        target.setTableName("ITEMS");
        quorvel::synchro::RecordTransfer transfer(source, target);
        if (mode == 0) {
            transfer.append();
        } else {
            quorvel::synchro::JournalLookup journal(dm.UserDB());
            quorvel::synchro::RecordTransfer::KeepLocal updatedHere;
            if (checkUpdated)
                updatedHere = [&journal](const quorvel::replica::RecordCode& c) { return journal.updatedHere(c); };
            transfer.overwrite(quorvel::synchro::recordCodeColumns(), updatedHere);
        }
        source.close();
        dm.UserDB().commit();
        dm.SynchroDB().commit();
    });
}

// A transfer that moved nothing would look fast: make sure every row arrived.
void expectAllRows(quorvel::engine::Database& db, int rows) {
    quorvel::engine::Query count(db);
    count.setSql("select count(*) from ITEMS");
    count.open();
    if (count.field(0).asInteger() != rows)
        throw std::runtime_error("the target holds " + count.field(0).asString() + " rows, not " +
                                 std::to_string(rows));
}

void connect(quorvel::engine::Database& db, const std::string& alias, const std::string& path) {
    quorvel::engine::Aliases::add(alias, path);
    db.setAliasName(alias);
    db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    db.connect();
}

// The timings of one round.
struct Round {
    Timing refInsert, refUpdate, refUpdateAgain, mode0, mode1, mode1Checked;
};

// The reference's three passes on a fresh database of its own.
void referencePasses(Round& r, const std::string& source, const std::string& reference) {
    Client c;
    fs::remove(reference);
    createDatabase(c, reference, {kCreateItems, kCreateCodeIndex});
    // Attached for all three passes, as the engine's connections are.
    IAttachment* src = attach(c, source);
    IAttachment* dst = attach(c, reference);
    r.refInsert = measure([&] {
        referenceCopy(c, src, dst, "select * from ITEMS", "insert into ITEMS values (?, ?, ?, ?, ?, ?, ?, ?)");
    });
    auto update = [&] {
        referenceCopy(c, src, dst, "select ID, NAME, CITY, AMOUNT, STAMP, NOTE, R$CODE1, R$CODE2, ID from ITEMS",
                      "update ITEMS set ID = ?, NAME = ?, CITY = ?, AMOUNT = ?, STAMP = ?, NOTE = ?,"
                      " R$CODE1 = ?, R$CODE2 = ? where ID = ?");
    };
    r.refUpdate = measure(update);
    r.refUpdateAgain = measure(update);
    dst->detach(&c.status);
    src->detach(&c.status);
}

// The transfer's three passes on a fresh target.
void transferPasses(Round& r, int rows, const std::string& source, const std::string& target) {
    {
        Client c;
        fs::remove(target);
        createDatabase(c, target, {kCreateItems, kCreateCodeIndex, journalTable()});
    }
    quorvel::DM dm;
    connect(dm.SynchroDB(), "BenchSource", source);
    connect(dm.UserDB(), "BenchTarget", target);
    quorvel::engine::Query rowsToSend(dm.SynchroDB());
    rowsToSend.setSql("select * from ITEMS");

    r.mode0 = timeTransfer(dm, rowsToSend, 0, false);
    expectAllRows(dm.UserDB(), rows);
    r.mode1 = timeTransfer(dm, rowsToSend, 1, false);
    // One row in a hundred updated locally: those are left alone.
    dm.UserDB().execute(
        "insert into R$DELETEDUPDATED select R$CODE1, R$CODE2, \"U\", \"ITEMS\" from ITEMS"
        " where mod(ID, 100) = 0");
    r.mode1Checked = timeTransfer(dm, rowsToSend, 1, true);
    dm.UserDB().disconnect();
    dm.SynchroDB().disconnect();
}

// The passes of one round, on a fresh target and a fresh reference database.
// Each sees the same passes: one append, then two updates of every row, so
// the second update of each side meets the same old record versions. The
// side that goes first changes from round to round, so that neither is
// always the one that meets a cold cache or the other's leftovers.
Round runRound(int round, int rows, const std::string& source, const std::string& target,
               const std::string& reference) {
    Round r;
    if (round % 2 == 0) {
        referencePasses(r, source, reference);
        transferPasses(r, rows, source, target);
    } else {
        transferPasses(r, rows, source, target);
        referencePasses(r, source, reference);
    }
    return r;
}

// The best of the rounds, for wall and CPU time each: the machine is shared,
// and what others run only ever adds time.
void keepBest(Timing& best, const Timing& t, bool first) {
    if (first || t.wall < best.wall) best.wall = t.wall;
    if (first || t.cpu < best.cpu) best.cpu = t.cpu;
    best.worstWall = std::max(first ? 0.0 : best.worstWall, t.wall);
    best.worstCpu = std::max(first ? 0.0 : best.worstCpu, t.cpu);
    best.peakAfter = std::max(best.peakAfter, t.peakAfter);
}

int run(int rows, int rounds, const fs::path& dir) {
    const std::string source = (dir / "source.fdb").string();
    const std::string target = (dir / "target.fdb").string();
    const std::string reference = (dir / "reference.fdb").string();
    ::setenv("QUORVEL_ALIASES", (dir / "aliases.conf").c_str(), 1);

    {
        Client c;
        createDatabase(c, source, {kCreateItems});
        fillSource(c, source, rows);
    }
    std::printf("rows: %d, rounds: %d   (peak memory after setup: %.1f MB)\n\n", rows, rounds, peakMegabytes());

    Round best;
    for (int i = 0; i < rounds; ++i) {
        Round r = runRound(i, rows, source, target, reference);
        std::printf("round %d (%s first): append / insert %.2f, overwrite / update %.2f, kept / update %.2f CPU\n",
                    i + 1, i % 2 == 0 ? "reference" : "transfer", r.mode0.cpu / r.refInsert.cpu,
                    r.mode1.cpu / r.refUpdate.cpu, r.mode1Checked.cpu / r.refUpdateAgain.cpu);
        const bool first = i == 0;
        keepBest(best.refInsert, r.refInsert, first);
        keepBest(best.refUpdate, r.refUpdate, first);
        keepBest(best.refUpdateAgain, r.refUpdateAgain, first);
        keepBest(best.mode0, r.mode0, first);
        keepBest(best.mode1, r.mode1, first);
        keepBest(best.mode1Checked, r.mode1Checked, first);
    }

    std::printf("\nbest of the rounds\n");
    line("reference insert copy", rows, best.refInsert);
    line("transfer append", rows, best.mode0);
    line("reference update by key", rows, best.refUpdate);
    line("transfer overwrite (all match)", rows, best.mode1);
    line("reference update by key again", rows, best.refUpdateAgain);
    line("overwrite, local updates kept", rows, best.mode1Checked);
    std::printf("\ntransfer / reference\n");
    ratio("append / insert", best.mode0, best.refInsert, 1.1);
    ratio("overwrite / update", best.mode1, best.refUpdate, 1.2);
    ratio("overwrite kept / update", best.mode1Checked, best.refUpdateAgain, 1.3);
    const double peak = peakMegabytes();
    std::printf("%-32s %10.1f MB     goal < 100 MB  %s\n", "peak memory", peak,
                peak < 100 ? "met" : "MISSED");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows even when piped to a file
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
    if (rows <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: %s [rows] [rounds] [work folder]\n", argv[0]);
        return 2;
    }
    const bool ownFolder = argc <= 3;
    const fs::path dir = ownFolder ? fs::temp_directory_path() /
                                         ("quorvel-bench-transfer-" + std::to_string(::getpid()))
                                   : fs::path(argv[3]);
    fs::remove_all(dir / "source.fdb");
    fs::create_directories(dir);
    int rc = 1;
    try {
        rc = run(rows, rounds, dir);
    } catch (const FbException& e) {
        std::fprintf(stderr, "Firebird client: %s\n", errorText(e).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    if (ownFolder) fs::remove_all(dir);
    return rc;
}
