#pragma once
// Scripted front end for operation tests: answers come from queues set by the
// test, everything shown is recorded.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/ControlStore.h"

namespace quorvel::test {

class FakeFrontend : public ControlStore {
public:
    // Scripted answers (consumed in order; an empty queue answers No/Cancel).
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> inputAnswers;

    // What was shown.
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> statusHistory;  // "working", "ok", "error"
    int processEventsCalls = 0;
    std::vector<std::string> steps;  // what the operations said they were doing

    void setWorking() override { ControlStore::setWorking(); statusHistory.push_back("working"); }
    void setOK() override { ControlStore::setOK(); statusHistory.push_back("ok"); }
    void setError() override { ControlStore::setError(); statusHistory.push_back("error"); }

    void showMessage(const std::string& t) override { messages.push_back(t); }
    std::vector<std::string> pagesShown;
    void showPage(ctl::Control p) override { pagesShown.push_back(p.str()); }
    std::string page() const { return pagesShown.empty() ? "" : pagesShown.back(); }
    bool confirm(const std::string& q) override {
        questions.push_back(q);
        if (confirmAnswers.empty()) return false;
        bool a = confirmAnswers.front();
        confirmAnswers.pop_front();
        return a;
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return pop(inputAnswers);
    }
    void step(const std::string& what) override { steps.push_back(what); }
    // Runs between the steps of a long operation, as the window's messages
    // would; a test may act there (e.g. change the database under it).
    std::function<void()> onProcessEvents;
    void processEvents() override {
        ++processEventsCalls;
        if (onProcessEvents) onProcessEvents();
    }
    std::string lastMessage() const { return messages.empty() ? std::string() : messages.back(); }

private:
    template <class T>
    static std::optional<std::string> pop(std::deque<T>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

}  // namespace quorvel::test
