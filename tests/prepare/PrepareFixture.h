#pragma once
// A master database of the test's own, connected through the data module as
// the main window would be, with helpers that read the database back with
// plain SQL on a query of the test's own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

namespace quorvel::test {

// The fake front end, also keeping every step and progress the operations
// reported, in order.
class RecordingFrontend : public FakeFrontend {
public:
    std::vector<std::string> steps;
    std::vector<int> progressed;  // each `done`, in order
    int progressTotal = 0;        // the last `total`

    void step(const std::string& what) override { steps.push_back(what); }
    void progress(long long done, long long total) override {
        progressed.push_back(static_cast<int>(done));
        progressTotal = static_cast<int>(total);
    }
    using FakeFrontend::progress;
};

class PrepareTest : public ::testing::Test {
protected:
    Workspace ws;
    DM dm;
    engine::Database& db = dm.UserDB();
    RecordingFrontend ui;
    std::string path;

    // Creates the master with `script`, connects it and opens the lists the
    // way a connection does.
    void openMaster(const std::string& script = "");
    // Creates the meta structures and checks that this went through.
    void createMeta();
    // Lists `tables` as working tables and arms them.
    void arm(const std::vector<std::string>& tables);
    // Runs `sql` in a transaction of its own.
    void exec(const std::string& sql);
    int64_t scalar(const std::string& sql);
    // All rows, each column as text ("<null>" for NULL), joined by ",".
    std::vector<std::string> rows(const std::string& sql);
    std::vector<std::string> names(const std::string& sql) { return rows(sql); }
    // Clears what the front end recorded so far.
    void resetUi();
};

}  // namespace quorvel::test
