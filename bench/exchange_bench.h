#pragma once
// What the fill and read benchmarks share: the Firebird client used straight
// (for building databases fast and for the reference copies), an armed master
// of N rows built with set-based statements, the timing and the printing.
#include <firebird/Interface.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/DM.h"
#include "db/Today.h"
#include "ddl/SynchroDdl.h"
#include "engine/Aliases.h"
#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"
#include "replica/Acknowledgements.h"
#include "replica/Catalogue.h"
#include "replica/SchemaVersion.h"
#include "replica/ReplicationSchema.h"

namespace bench {

namespace fs = std::filesystem;
using namespace Firebird;

// The travelling table of the transfer benchmark: an integer key, two
// VARCHARs, a NUMERIC, a TIMESTAMP, a text BLOB that is NULL on every other
// row, and the record code.
inline const char* const kCreateItems =
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(60),"
    " AMOUNT NUMERIC(15,2), STAMP TIMESTAMP, NOTE BLOB SUB_TYPE TEXT,"
    " R$CODE1 INTEGER, R$CODE2 INTEGER)";

// The replication tables of a synchro database as the converted definition
// makes them, one statement each: a benchmark's synchro database then needs
// nothing added inside a measurement, as a real one does not.
inline std::vector<std::string> synchroTables() {
    std::string script;
    for (const std::string& line : quorvel::ddl::SynchroTail()) script += line + " ";
    std::vector<std::string> statements;
    std::string::size_type start = 0, end;
    while ((end = script.find(';', start)) != std::string::npos) {
        std::string statement = script.substr(start, end - start);
        statement.erase(0, statement.find_first_not_of(' '));
        if (!statement.empty() && statement != "COMMIT WORK") statements.push_back(statement);
        start = end + 1;
    }
    return statements;
}

// Rows FROM..TO of ITEMS, numbered (CODE1, I + CODE2SHIFT) as "Recreate
// triggers" numbers them (or as another site would have).
inline std::string fillItems(int from, int to, int code1, int code2Shift) {
    const std::string i = ":I";
    return "EXECUTE BLOCK AS DECLARE I INTEGER = " + std::to_string(from) + "; BEGIN"
           " WHILE (I <= " + std::to_string(to) + ") DO BEGIN"
           "  INSERT INTO ITEMS VALUES (:I, 'Customer number ' || :I, 'City ' || MOD(:I, 977),"
           "   :I * 0.37, CAST('2026-01-01 08:00:00' AS TIMESTAMP) + :I / 86400.0,"
           "   CASE WHEN MOD(:I, 2) = 0 THEN NULL"
           "   ELSE 'A note of row ' || :I || ' that says a little about the customer and the order.' END,"
           "   " + std::to_string(code1) + ", :I + " + std::to_string(code2Shift) + ");"
           "  I = I + 1; END END";
}

// The changes of the benchmarks: N new rows, N updates of old rows spread
// over the table, N / 10 deletes of other old rows. N is 10,000 unless the
// environment's QUORVEL_BENCH_CHANGES gives another (the builder process
// inherits it): the run at 10,000,000 rows moves 100,000 changes and more.
inline int changesAsked() {
    const char* v = std::getenv("QUORVEL_BENCH_CHANGES");
    return v && std::atoi(v) > 0 ? std::atoi(v) : 10000;
}
inline const int kInserts = changesAsked(), kUpdates = kInserts, kDeletes = kInserts / 10;
// Old row k (1-based) updated: ID k * step; deleted: ID k * step - 1.
inline int changeStep(int rows) { return rows / kUpdates; }

// ---------------------------------------------------------------------------
// The Firebird client, straight.

inline IMaster* master() { return fb_get_master_interface(); }

// The transactions the engine starts: read committed, record versions, no wait.
inline const unsigned char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                     isc_tpb_nowait};

struct Client {
    ThrowStatusWrapper status{master()->getStatus()};
    IProvider* provider = master()->getDispatcher();
    ~Client() {
        provider->release();
        status.dispose();
    }
};

inline std::string errorText(const FbException& e) {
    char buf[2048];
    master()->getUtilInterface()->formatStatus(buf, sizeof buf, e.getStatus());
    return buf;
}

inline IAttachment* attach(Client& c, const std::string& path, bool create = false) {
    IXpbBuilder* dpb = master()->getUtilInterface()->getXpbBuilder(&c.status, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&c.status, isc_dpb_user_name, "SYSDBA");
    if (create) {
        dpb->insertInt(&c.status, isc_dpb_sql_dialect, 1);
        dpb->insertInt(&c.status, isc_dpb_page_size, 8192);
        dpb->insertInt(&c.status, isc_dpb_force_write, 0);
    }
    IAttachment* a = create ? c.provider->createDatabase(&c.status, path.c_str(), dpb->getBufferLength(&c.status),
                                                         dpb->getBuffer(&c.status))
                            : c.provider->attachDatabase(&c.status, path.c_str(), dpb->getBufferLength(&c.status),
                                                         dpb->getBuffer(&c.status));
    dpb->dispose();
    return a;
}

// Each statement in a transaction of its own (a column or table made by DDL
// is usable only after its commit).
inline void execEach(Client& c, IAttachment* a, const std::vector<std::string>& sql) {
    for (const auto& s : sql) {
        ITransaction* t = a->startTransaction(&c.status, 0, nullptr);
        a->execute(&c.status, t, 0, s.c_str(), 1, nullptr, nullptr, nullptr, nullptr);
        t->commit(&c.status);
    }
}

inline void createDatabase(Client& c, const std::string& path, const std::vector<std::string>& ddl) {
    fs::remove(path);
    IAttachment* a = attach(c, path, true);
    execEach(c, a, ddl);
    a->detach(&c.status);
}

inline int64_t countOf(Client& c, IAttachment* a, const std::string& sql) {
    ITransaction* t = a->startTransaction(&c.status, sizeof kTpb, kTpb);
    IStatement* s = a->prepare(&c.status, t, 0, sql.c_str(), 1, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* out = s->getOutputMetadata(&c.status);
    std::vector<unsigned char> buf(out->getMessageLength(&c.status));
    IResultSet* rs = s->openCursor(&c.status, t, nullptr, nullptr, out, 0);
    int64_t n = -1;
    if (rs->fetchNext(&c.status, buf.data()) == IStatus::RESULT_OK) {
        const unsigned char* p = buf.data() + out->getOffset(&c.status, 0);
        n = (out->getType(&c.status, 0) & ~1u) == SQL_INT64 ? *reinterpret_cast<const int64_t*>(p)
                                                             : *reinterpret_cast<const int32_t*>(p);
    }
    rs->close(&c.status);
    out->release();
    s->free(&c.status);
    t->commit(&c.status);
    return n;
}

// A prepared write fed by the rows of a select: the select's message serves
// as the statement's input. BLOBs are copied into new BLOBs of the target.
// Returns the rows the write touched.
inline int64_t copyRows(Client& c, IAttachment* src, ITransaction* ts, IAttachment* dst, ITransaction* td,
                        const std::string& selectSql, const std::string& writeSql) {
    ThrowStatusWrapper& st = c.status;
    IStatement* sel = src->prepare(&st, ts, 0, selectSql.c_str(), 1, IStatement::PREPARE_PREFETCH_METADATA);
    IStatement* write = dst->prepare(&st, td, 0, writeSql.c_str(), 1, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* meta = sel->getOutputMetadata(&st);
    std::vector<unsigned char> buf(meta->getMessageLength(&st));
    struct BlobColumn { unsigned offset, nullOffset; };
    std::vector<BlobColumn> blobs;
    for (unsigned i = 0; i < meta->getCount(&st); ++i)
        if ((meta->getType(&st, i) & ~1u) == SQL_BLOB)
            blobs.push_back({meta->getOffset(&st, i), meta->getNullOffset(&st, i)});

    IResultSet* rs = sel->openCursor(&st, ts, nullptr, nullptr, meta, 0);
    std::vector<char> segment(32768);
    int64_t touched = 0;
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
        touched += write->getAffectedRecords(&st);
    }
    rs->close(&st);
    meta->release();
    sel->free(&st);
    write->free(&st);
    return touched;
}

// ---------------------------------------------------------------------------
// An armed master: the replication objects, ITEMS as the one working table
// in the table order, N rows numbered (0, 1..N), the code index, the three
// triggers and the first mark (0, N + 1), as "Recreate triggers" leaves it.

// The schema's texts are written for the engine's parameter parser, which
// reads "::" as one colon; the client gets them with one.
inline std::string singleColons(std::string s) {
    for (std::string::size_type p = 0; (p = s.find("::", p)) != std::string::npos;) s.erase(p, 1);
    return s;
}

// The tool's objects of `objects` as they stand at `version`, from the catalogue.
inline void addToolObjects(std::vector<std::string>& ddl, const std::vector<quorvel::replica::catalogue::Object>& objects,
                           int version) {
    for (const auto& o : objects)
        if (o.currentAt(version)) ddl.push_back(singleColons(quorvel::replica::catalogue::createStatement(o, version, 1)));
}

inline void buildArmedMaster(Client& c, const std::string& path, int rows) {
    namespace schema = quorvel::replica::schema;
    std::vector<std::string> ddl{kCreateItems};
    addToolObjects(ddl, quorvel::replica::catalogue::localObjects(), quorvel::replica::kLocalVersion);
    ddl.push_back("insert into R$SCHEMA (VERSION, TRIGGERS) values (" + std::to_string(quorvel::replica::kLocalVersion) +
                  ", " + std::to_string(static_cast<int>(quorvel::replica::TriggerGeneration::SkipsReads)) + ")");
    ddl.push_back(schema::masterRow("0", "2000000000"));
    ddl.push_back("insert into R$WORKINGTABLES values ('ITEMS')");
    ddl.push_back("insert into R$TABLEORDER values (1, 'ITEMS')");
    ddl.push_back(fillItems(1, rows, 0, 0));
    ddl.push_back("create index R$ITEMS_CODE on ITEMS (R$CODE1, R$CODE2)");
    ddl.push_back(singleColons(schema::insertTrigger(1, "ITEMS")));
    ddl.push_back(singleColons(schema::deleteTrigger(2, "ITEMS")));
    // As an arming makes it: a save of the same values is no change.
    ddl.push_back(singleColons(schema::updateTrigger(
        3, "ITEMS", 1,
        "new.ID is distinct from old.ID or new.NAME is distinct from old.NAME or new.CITY is distinct from old.CITY"
        " or new.AMOUNT is distinct from old.AMOUNT or new.STAMP is distinct from old.STAMP"
        " or new.NOTE is distinct from old.NOTE or new.R$CODE1 is distinct from old.R$CODE1"
        " or new.R$CODE2 is distinct from old.R$CODE2")));
    ddl.push_back("set generator R$Gen2 to " + std::to_string(rows + 1));
    ddl.push_back("insert into R$SYNCHRO values (0, '" + quorvel::todayText() + "', 0, " + std::to_string(rows + 1) + ")");
    createDatabase(c, path, ddl);
}

// Each round starts from the same databases, copied while nothing is attached.
inline void copyFresh(const std::string& from, const std::vector<std::string>& copies) {
    for (const std::string& to : copies) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// The databases are built by this program run again as a child process
// ("--build ROWS FOLDER"), so that the engine's memory for building a million
// rows does not count in the peak memory of the measured work.
inline void buildInChild(int rows, const fs::path& dir) {
    const std::string self = fs::read_symlink("/proc/self/exe").string(), n = std::to_string(rows),
                      folder = dir.string();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("cannot start the builder process");
    if (pid == 0) {
        // Only exec-safe calls here: the parent has the engine's threads.
        ::execl(self.c_str(), self.c_str(), "--build", n.c_str(), folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("building the databases of " + n + " rows failed");
}

// The child's side: builds with `build`, reports a failure on stderr.
inline int runBuilder(int argc, char** argv, const std::function<void(Client&, int, const fs::path&)>& build) {
    if (argc != 4) return 2;
    try {
        Client c;
        build(c, std::atoi(argv[2]), argv[3]);
        return 0;
    } catch (const FbException& e) {
        std::fprintf(stderr, "Firebird client: %s\n", errorText(e).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}

// ---------------------------------------------------------------------------
// What the operations report: nothing shown, Yes to every question, the last
// message kept.

class QuietFrontend : public quorvel::Reporter {
public:
    std::string lastMessage;
    bool confirm(const std::string&) override { return true; }
    void notice(const std::string& t) override { lastMessage = t; }
    void error(const std::string& t) override { lastMessage = t; }
};

inline void connect(quorvel::engine::Database& db, const std::string& alias, const std::string& path) {
    quorvel::engine::Aliases::add(alias, path);
    db.setAliasName(alias);
    db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    db.connect();
}

// ---------------------------------------------------------------------------
// Measuring.

inline double peakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall time, and the CPU time of the whole process (the embedded server's
// threads included), which others' work on a shared machine disturbs less.
// The best of the rounds, and their worst: how far apart the rounds were.
struct Timing {
    double wall = 0, cpu = 0;
    double worstWall = 0, worstCpu = 0;
};

inline Timing measure(const std::function<void()>& run) {
    // Pages a previous pass or a copy left to the kernel are written first:
    // their writeback would otherwise fall on whichever side comes next.
    ::sync();
    auto t0 = std::chrono::steady_clock::now();
    double c0 = cpuSeconds();
    run();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), cpuSeconds() - c0};
}

// `operation` on `local` and `synchro`, connected as the tool connects them,
// the attachments outside the timing; throws unless it ends done.
inline Timing timedOperation(const std::string& local, const std::string& synchro, const std::string& name,
                             const std::function<quorvel::Outcome(quorvel::DM&, quorvel::Reporter&)>& operation) {
    quorvel::DM dm;
    connect(dm.UserDB(), "BenchLocal", local);
    connect(dm.SynchroDB(), "BenchSynchro", synchro);
    QuietFrontend ui;
    quorvel::Outcome outcome = quorvel::Outcome::done();
    const Timing t = measure([&] { outcome = operation(dm, ui); });
    dm.SynchroDB().disconnect();
    dm.UserDB().disconnect();
    if (outcome.exitCode() != 0) throw std::runtime_error("the " + name + " failed: " + outcome.message());
    return t;
}

// The best of the rounds, wall and CPU each: what others run only adds time.
inline void keepBest(Timing& best, const Timing& t, bool first) {
    if (first || t.wall < best.wall) best.wall = t.wall;
    if (first || t.cpu < best.cpu) best.cpu = t.cpu;
    best.worstWall = std::max(first ? 0.0 : best.worstWall, t.wall);
    best.worstCpu = std::max(first ? 0.0 : best.worstCpu, t.cpu);
}

// The best round, and by how much the worst took longer.
inline void line(const char* what, Timing t) {
    std::printf("%-28s %8.3f s wall %8.3f s CPU", what, t.wall, t.cpu);
    if (t.worstWall > t.wall || t.worstCpu > t.cpu)
        std::printf("   spread +%.0f%% wall +%.0f%% CPU", 100 * (t.worstWall / t.wall - 1), 100 * (t.worstCpu / t.cpu - 1));
    std::printf("\n");
}

// Judged on CPU, steadier on a shared machine, and on wall time, which is
// what a user waits: a tenth more is allowed to it (1.3 where CPU has 1.2).
inline void ratio(const char* what, double wall, double cpu, double goal) {
    std::printf("%-28s %8.2f   wall %8.2f   CPU", what, wall, cpu);
    if (goal > 0)
        std::printf("   goal <= %.2f CPU, %.2f wall  %s", goal, goal + 0.1,
                    cpu <= goal && wall <= goal + 0.1 ? "met" : "MISSED");
    std::printf("\n");
}

inline void peakLine() {
    const double peak = peakMegabytes();
    std::printf("%-28s %8.1f MB   goal < 100 MB  %s\n", "peak memory", peak, peak < 100 ? "met" : "MISSED");
}

// The command line of both exchange benchmarks: [rounds] [rows...], the
// sizes 100,000 and 1,000,000 by default. Nothing after printing the usage.
struct BenchArgs {
    int rounds = 1;
    std::vector<int> sizes;
};
inline std::optional<BenchArgs> parseBenchArgs(int argc, char** argv) {
    BenchArgs a;
    a.rounds = argc > 1 ? std::atoi(argv[1]) : 1;
    for (int i = 2; i < argc; ++i) a.sizes.push_back(std::atoi(argv[i]));
    if (a.sizes.empty()) a.sizes = {100000, 1000000};
    if (a.rounds <= 0 || std::any_of(a.sizes.begin(), a.sizes.end(), [](int n) { return n < 2 * kUpdates; })) {
        std::fprintf(stderr, "usage: %s [rounds] [rows...]   (rows at least %d)\n", argv[0], 2 * kUpdates);
        return std::nullopt;
    }
    return a;
}

// Runs `work` in a fresh scratch folder of its own (its aliases file there,
// and the current folder, where a fill leaves its trace), removed afterwards;
// the program's exit status.
inline int inScratchFolder(const std::string& name, const std::function<void(const fs::path&)>& work) {
    const fs::path dir = fs::temp_directory_path() / ("quorvel-bench-" + name + "-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("QUORVEL_ALIASES", (dir / "aliases.conf").c_str(), 1);
    const fs::path home = fs::current_path();
    fs::current_path(dir);
    int rc = 1;
    try {
        work(dir);
        peakLine();
        rc = 0;
    } catch (const FbException& e) {
        std::fprintf(stderr, "Firebird client: %s\n", errorText(e).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    fs::current_path(home);
    fs::remove_all(dir);
    return rc;
}

}  // namespace bench
