#pragma once
// How the window follows an operation it started: the first step shows the
// working face (an operation refused or cancelled before it began leaves the
// status as it was), questions and messages are the window's boxes, and the
// outcome of a begun operation sets the OK or error face.
#include "app/fBrowser.h"
#include "operation/Reporter.h"

namespace quorvel::app {

class StatusReporter : public Reporter {
public:
    explicit StatusReporter(TfmBrowser& window) : window_(window) {}

    void step(const std::string&) override {
        if (working_) return;
        working_ = true;
        window_.setWorking();
    }
    void rows(const std::string& table, long long count) override { window_.rowsProgress(table, count); }
    bool confirm(const std::string& question) override { return window_.confirm(question); }
    void notice(const std::string& text) override { window_.notice(text); }
    void error(const std::string& text) override { window_.error(text); }
    void breathe() override { window_.processEvents(); }

    // Sets the face for `outcome` when the operation had begun; returns it.
    Outcome finish(Outcome outcome) {
        if (!working_) return outcome;
        working_ = false;
        if (outcome.isDone())
            window_.setOK();
        else
            window_.setError();
        return outcome;
    }

private:
    TfmBrowser& window_;
    bool working_ = false;
};

}  // namespace quorvel::app
