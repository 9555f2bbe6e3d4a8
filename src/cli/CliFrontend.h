#pragma once
// The terminal front end: messages go to standard error, confirmations are
// answered by --yes or asked on the terminal; what a window would ask in a
// dialog comes from the command line, as arguments of the operations.
#include <iosfwd>
#include <optional>
#include <string>

#include "operation/ControlStore.h"

namespace quorvel::cli {

class CliFrontend : public ControlStore {
public:
    CliFrontend(std::istream& in, std::ostream& err, bool assumeYes, bool interactive);

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
    // On a terminal, a long copy's progress on one line of standard error.
    void rowsProgress(const std::string& table, long long rows) override;

private:
    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
    bool interactive_;
    bool errorEnded_ = false;
    bool okEnded_ = false;
    bool messageSinceOk_ = false;
    int messagesShown_ = 0;
};

}  // namespace quorvel::cli
