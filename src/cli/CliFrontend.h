#pragma once
// The terminal front end: messages go to standard error, confirmations are
// answered by --yes or asked on the terminal, and the dialogs take their
// answers from the command line.
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>

#include "operation/ControlStore.h"

namespace quorvel::cli {

class CliFrontend : public ControlStore {
public:
    CliFrontend(std::istream& in, std::ostream& err, bool assumeYes, bool interactive);

    // Answers for the next connect dialogs and file choices.
    void queueConnect(const std::string& alias, const std::string& user, const std::string& password);
    std::deque<std::string> openFiles;
    std::deque<std::string> saveFiles;

    void setWorking() override;
    void setOK() override;
    void setError() override;
    // Counts the messages of the next operation: the CLI prints an outcome's
    // text only when the operation showed none.
    void startOperation() { errorEnded_ = okEnded_ = messageSinceOk_ = false; messagesShown_ = 0; }
    int messagesShown() const { return messagesShown_; }

    void showMessage(const std::string& text) override;
    bool confirm(const std::string& question) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::string> chooseOpenFile(const std::string& filter) override;
    std::optional<std::string> chooseSaveFile(const std::string& defaultName,
                                              const std::string& filter) override;
    std::optional<std::string> chooseAlias() override;
    bool login(const std::string& alias, std::string& user, std::string& password) override;
    bool cloneDialog(const std::function<std::string(const CloneEntry&)>& onOk) override;
    // On a terminal, a long copy's progress on one line of standard error.
    void rowsProgress(const std::string& table, long long rows) override;

private:
    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
    bool interactive_;
    struct Pending { std::string alias, user, password; };
    std::deque<Pending> connects_;
    bool errorEnded_ = false;
    bool okEnded_ = false;
    bool messageSinceOk_ = false;
    int messagesShown_ = 0;
};

}  // namespace quorvel::cli
