#pragma once
// Scripted front end for operation tests: answers come from queues set by the
// test, everything shown is recorded.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "operation/ControlStore.h"

namespace quorvel::test {

class FakeFrontend : public ControlStore {
public:
    // Scripted answers (consumed in order; an empty queue answers No/Cancel).
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> openFileAnswers;
    std::deque<std::optional<std::string>> saveFileAnswers;
    std::deque<std::optional<std::string>> aliasAnswers;
    struct Login { bool ok; std::string user, password; };
    std::deque<Login> loginAnswers;
    std::deque<std::optional<CloneEntry>> cloneAnswers;  // nullopt: Cancel

    // What was shown.
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> statusHistory;  // "working", "ok", "error"
    std::vector<std::string> loginAliases;
    int processEventsCalls = 0;
    std::vector<std::string> cloneDialogRefusals;  // edits focused by refusals

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
    std::optional<std::string> chooseOpenFile(const std::string&) override { return pop(openFileAnswers); }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
        return pop(saveFileAnswers);
    }
    // Runs between the steps of a long operation, as the window's messages
    // would; a test may act there (e.g. change the database under it).
    std::function<void()> onProcessEvents;
    void processEvents() override {
        ++processEventsCalls;
        if (onProcessEvents) onProcessEvents();
    }
    std::optional<std::string> chooseAlias() override { return pop(aliasAnswers); }
    bool login(const std::string& alias, std::string& user, std::string& password) override {
        loginAliases.push_back(alias);
        if (loginAnswers.empty()) return false;
        Login l = loginAnswers.front();
        loginAnswers.pop_front();
        user = l.user;
        password = l.password;
        return l.ok;
    }
    // Each scripted entry is "typed" and OK pressed; a refusal consumes the
    // next entry as the corrected typing, until one is accepted or Cancel.
    bool cloneDialog(const std::function<std::string(const CloneEntry&)>& onOk) override {
        while (!cloneAnswers.empty()) {
            auto e = cloneAnswers.front();
            cloneAnswers.pop_front();
            if (!e) return false;
            std::string focus = onOk(*e);
            if (focus.empty()) return true;
            cloneDialogRefusals.push_back(focus);
        }
        return false;
    }

    // Answers a whole connect dialog sequence with alias + login.
    void scriptConnect(const std::string& alias, const std::string& user = "SYSDBA",
                       const std::string& password = "") {
        aliasAnswers.push_back(alias);
        loginAnswers.push_back({true, user, password});
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
