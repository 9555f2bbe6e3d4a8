#pragma once
// What the fill and the read report, in the window's terms: their steps go
// to the label of their page ("Action:"), the table they are on moves the
// cursor of the table-order grid beside it, the rows of a long copy to the
// status bar; the face turns to working once the work begins (a confirmed
// question or the first step). The handler sets the face for the ending.
#include "engine/DataSet.h"
#include "app/Frontend.h"
#include "operation/Reporter.h"

namespace quorvel::app {

class ExchangeReporter : public Reporter {
public:
    // `stepLabel` shows the steps (none: not shown); `tables`, when given, is
    // the table-order list whose cursor follows the table being worked on.
    explicit ExchangeReporter(Frontend& window, std::optional<ctl::Control> stepLabel = std::nullopt,
                              engine::DataSet* tables = nullptr)
        : window_(window), stepLabel_(stepLabel), tables_(tables) {}

    void step(const std::string& what) override {
        working();
        if (stepLabel_) window_.setText(*stepLabel_, what);
    }
    void progress(long long done, long long total) override {
        (void)total;
        if (!tables_) return;
        if (!tablesOpened_) {  // afresh: the list may have changed since it was shown
            tables_->close();
            tables_->open();
            tablesOpened_ = true;
        }
        tables_->moveTo(static_cast<int>(done));
    }
    void rows(const std::string& table, long long count) override { window_.rowsProgress(table, count); }
    bool confirm(const std::string& question) override {
        if (!window_.confirm(question)) return false;
        working();
        return true;
    }
    void notice(const std::string& text) override { window_.showMessage(text); }
    void error(const std::string& text) override { window_.showMessage(text); }
    void breathe() override { window_.processEvents(); }

private:
    void working() {
        if (!working_) window_.setWorking();
        working_ = true;
    }

    Frontend& window_;
    std::optional<ctl::Control> stepLabel_;
    engine::DataSet* tables_;
    bool working_ = false;
    bool tablesOpened_ = false;
};

}  // namespace quorvel::app
