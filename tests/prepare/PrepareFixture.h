#pragma once
// A master database of the test's own, connected through the data module as
// the main window would be, with helpers that read the database back with
// plain SQL on a query of the test's own.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "db/DM.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

namespace quorvel::test {

// The fake front end, also keeping every position and caption the operations
// showed, in order.
class RecordingFrontend : public FakeFrontend {
public:
    std::map<std::string, std::vector<int>> positions;
    std::map<std::string, int> maxima;
    std::vector<std::string> actions;  // LAction captions

    void setProgress(ctl::Control c, int p) override {
        FakeFrontend::setProgress(c, p);
        positions[c.str()].push_back(p);
    }
    void setProgressMax(ctl::Control c, int m) override { maxima[c.str()] = m; }
    void setText(ctl::Control c, const std::string& t) override {
        FakeFrontend::setText(c, t);
        if (c == "LAction") actions.push_back(t);
    }
};

class PrepareTest : public ::testing::Test {
protected:
    Workspace ws;
    DM dm;
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
