// The exchange by packages against the plain synchro database, at N changed
// rows of a master with N rows (100,000 and 1,000,000 by default; the sizes
// as arguments):
//   - package bytes per changed row against the same rows as CSV compressed
//     with zstd (level 3), and the package of a fill with no change (the
//     fixed part: header, definitions);
//   - send + receive time against fill + read of a synchro database made
//     beforehand (neither counts the making of the clones);
//   - the peak memory of each (each runs in a process of its own; a gbak
//     it starts counts when it is the larger).
// Goals: bytes <= 1.5 x the CSV's plus a fixed part under 4 KB; time <= 1.3 x.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zstd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "clone/Operations.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "package/Operations.h"
#include "package/SynchroDefinition.h"
#include "prepare/Operations.h"
#include "synchro/Operations.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace quorvel;

namespace {

class Quiet : public Reporter {
public:
    bool confirm(const std::string&) override { return true; }
    void notice(const std::string&) override {}
    void error(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

void must(const Outcome& o, const char* what) {
    if (!o.isDone()) throw std::runtime_error(std::string(what) + ": " + o.message());
}

struct Db {
    engine::Database db;
    explicit Db(const std::string& path, bool foreign = false) : db("Bench") {
        db.setForeign(foreign);
        db.setAliasName(fs::path(path).filename().string());
        db.setDatabaseName(path);
        db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
        db.connect();
    }
    ~Db() { db.disconnect(); }
};

// The changed rows as CSV (every column quoted), compressed with zstd as
// it is written: returns the compressed size, `rawBytes` the CSV's.
size_t csvZstdBytes(engine::Database& master, size_t* rawBytes) {
    ZSTD_CCtx* z = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(z, ZSTD_c_compressionLevel, 3);
    std::string csv, out(ZSTD_CStreamOutSize(), '\0');
    size_t compressed = 0;
    *rawBytes = 0;
    auto push = [&](ZSTD_EndDirective mode) {
        ZSTD_inBuffer in{csv.data(), csv.size(), 0};
        for (;;) {
            ZSTD_outBuffer o{out.data(), out.size(), 0};
            const size_t left = ZSTD_compressStream2(z, &o, &in, mode);
            if (ZSTD_isError(left)) throw std::runtime_error("zstd");
            compressed += o.pos;
            if (mode == ZSTD_e_end ? left == 0 : in.pos == in.size) break;
        }
        *rawBytes += csv.size();
        csv.clear();
    };
    engine::Query q(master);
    q.setSql("select ID, NAME, CITY, AMOUNT, STAMP, NOTE from ITEMS");
    q.open();
    for (; !q.eof(); q.next()) {
        for (int i = 0; i < 6; ++i) {
            if (i) csv += ',';
            if (q.field(i).isNull()) continue;
            csv += '"';
            for (char c : q.field(i).asString()) csv += c == '"' ? std::string("\"\"") : std::string(1, c);
            csv += '"';
        }
        csv += '\n';
        if (csv.size() > (1 << 20)) push(ZSTD_e_continue);
    }
    push(ZSTD_e_end);
    ZSTD_freeCCtx(z);
    return compressed;
}

// One phase in a process of its own, so that its time and peak memory are
// its own. Writes what it measured into DIR/PHASE.out.
void phase(const std::string& name, const fs::path& dir, int rows) {
    Quiet ui;
    const std::string master = (dir / "master.fdb").string(), synchroFile = (dir / "synchro.fdb").string();
    const std::string c1 = (dir / "c1.fdb").string(), c2 = (dir / "c2.fdb").string();
    const fs::path out = dir / "out", in = dir / "in";
    std::FILE* result = std::fopen((dir / (name + ".out")).c_str(), "w");
    if (name == "setup") {
        fs::create_directories(out);
        fs::create_directories(in);
        engine::Database::createDatabase(master);
        Db m(master);
        m.db.execute("CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(60),"
                     " AMOUNT NUMERIC(15,2), STAMP TIMESTAMP, NOTE BLOB SUB_TYPE TEXT)");
        // "::" reaches the server as one colon.
        m.db.execute("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " + std::to_string(rows) +
                     ") DO BEGIN INSERT INTO ITEMS VALUES (::I, 'Customer number ' || ::I, 'City ' || MOD(::I, 977),"
                     " ::I * 0.37, CAST('2026-01-01 08:00:00' AS TIMESTAMP) + ::I / 86400.0,"
                     " CASE WHEN MOD(::I, 2) = 0 THEN NULL ELSE 'A note of row ' || ::I || ' that says a little"
                     " about the customer and the order.' END); I = I + 1; END END");
        must(prepare::CreateMetaStructures(m.db, {}, ui), "create-meta");
        must(prepare::AddAllWorkingTables(m.db, ui), "select-all-tables");
        must(prepare::RecreateTriggers(m.db, ui), "recreate-triggers");
        must(clone::MakeClone(m.db, {{"C1", "1", "1000000000"}, c1}, ui), "make-clone C1");
        must(clone::MakeClone(m.db, {{"C2", "2", "1000000000"}, c2}, ui), "make-clone C2");
        // The fixed part: a package of a fill that changes nothing.
        package::SendReport empty;
        must(package::SendPackage(m.db, out.string(), ui, &empty), "empty send");
        fs::remove(empty.file);
        std::fprintf(result, "%llu\n", static_cast<unsigned long long>(empty.bytes));
        m.db.execute("UPDATE ITEMS SET CITY = CITY || ' moved', AMOUNT = AMOUNT + 1");
        engine::Transaction tx(m.db);
        package::makeSynchroDatabase(m.db, synchroFile);
    } else if (name == "fill") {
        Db m(master);
        Db s(synchroFile);
        must(synchro::FillSynchro(m.db, s.db, ui), "fill");
    } else if (name == "read") {
        Db c(c1);
        Db s(synchroFile, true);
        must(synchro::ReadFromSynchro(c.db, s.db, ui, nullptr, true), "read");
    } else if (name == "send") {
        Db m(master);
        package::SendReport sent;
        must(package::SendPackage(m.db, out.string(), ui, &sent), "send");
        fs::rename(sent.file, in / fs::path(sent.file).filename());
        std::fprintf(result, "%llu\n", static_cast<unsigned long long>(sent.bytes));
    } else if (name == "receive") {
        Db c(c2);
        package::ReceiveReport got;
        must(package::ReceivePackages(c.db, in.string(), ui, &got), "receive");
        if (got.count(package::ReceiveReport::Kind::Read) != 1) throw std::runtime_error("the package was not read");
    } else if (name == "csv") {
        Db m(master);
        engine::Transaction tx(m.db);
        size_t raw = 0;
        const size_t zstd = csvZstdBytes(m.db, &raw);
        std::fprintf(result, "%zu %zu\n", raw, zstd);
    }
    std::fclose(result);
}

struct Run {
    double seconds = 0;
    long peakMb = 0;
    std::vector<double> said;  // the numbers the phase wrote
};

// Runs `self --phase NAME DIR ROWS`; its wall time, its peak memory (and its
// gbak's, whichever is larger) and what it wrote.
Run spawnPhase(const std::string& self, const std::string& name, const fs::path& dir, int rows) {
    std::vector<std::string> args = {self, "--phase", name, dir.string(), std::to_string(rows)};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + self);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakMb = usage.ru_maxrss / 1024;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("the phase " + name + " failed");
    std::ifstream said(dir / (name + ".out"));
    for (double v; said >> v;) r.said.push_back(v);
    return r;
}

void runSize(const std::string& self, int rows, const fs::path& dir) {
    const Run setup = spawnPhase(self, "setup", dir, rows);
    std::printf("rows %d, all changed: a package with no change: %.0f bytes\n", rows, setup.said.at(0));
    const Run fill = spawnPhase(self, "fill", dir, rows), read = spawnPhase(self, "read", dir, rows);
    const Run send = spawnPhase(self, "send", dir, rows), receive = spawnPhase(self, "receive", dir, rows);
    const Run csv = spawnPhase(self, "csv", dir, rows);
    const double bytes = send.said.at(0), csvZstd = csv.said.at(1);
    std::printf("  package: %.0f bytes, %.2f per row; CSV %.0f bytes, with zstd %.0f, %.2f per row; "
                "ratio %.2f (goal <= 1.5)\n",
                bytes, bytes / rows, csv.said.at(0), csvZstd, csvZstd / rows, bytes / csvZstd);
    std::printf("  fill %.2f s + read %.2f s = %.2f s; send %.2f s + receive %.2f s = %.2f s; ratio %.2f "
                "(goal <= 1.3)\n",
                fill.seconds, read.seconds, fill.seconds + read.seconds, send.seconds, receive.seconds,
                send.seconds + receive.seconds, (send.seconds + receive.seconds) / (fill.seconds + read.seconds));
    std::printf("  peak memory (MB): fill %ld, read %ld, send %ld, receive %ld (goal < 100)\n\n", fill.peakMb,
                read.peakMb, send.peakMb, receive.peakMb);
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 5 && std::string(argv[1]) == "--phase") {
        try {
            phase(argv[2], argv[3], std::atoi(argv[4]));
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_package %s: %s\n", argv[2], e.what());
            return 1;
        }
    }
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};
    const fs::path dir = fs::temp_directory_path() / ("quorvel-bench-package-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("TMPDIR", dir.string().c_str(), 1);
    const std::string self = fs::canonical("/proc/self/exe").string();
    int rc = 0;
    try {
        for (int n : sizes) {
            const fs::path sub = dir / std::to_string(n);
            fs::create_directories(sub);
            runSize(self, n, sub);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_package: %s\n", e.what());
        rc = 1;
    }
    fs::remove_all(dir);
    return rc;
}
