#pragma once
// What the operations report, on a terminal: notices and errors on standard
// error, confirmations answered by --yes or asked on the terminal, a long
// copy's row count on one line while it runs.
#include <iosfwd>
#include <string>
#include <vector>

#include "operation/Reporter.h"

namespace quorvel::cli {

// A text from another site's file (or a name a courier chose), shown on a
// terminal: its control characters as \xNN, so that none of them acts on
// it; `keepLines` leaves line breaks and tabs as they are.
std::string printable(const std::string& value, bool keepLines = false);

class CliReporter : public Reporter {
public:
    CliReporter(std::istream& in, std::ostream& err, bool assumeYes, bool interactive);

    // Counts the messages of the next operation: the CLI prints an outcome's
    // text only when the operation showed none.
    void startOperation() {
        messagesShown_ = 0;
        messages_.clear();
    }
    int messagesShown() const { return messagesShown_; }
    // The notices and errors of the operation, in order (for --json).
    const std::vector<std::string>& messages() const { return messages_; }

    bool confirm(const std::string& question) override;
    void notice(const std::string& text) override { show(text); }
    void error(const std::string& text) override { show(text); }
    void rows(const std::string& table, long long count) override;

private:
    void show(const std::string& text);

    std::istream& in_;
    std::ostream& err_;
    bool assumeYes_;
    bool interactive_;
    int messagesShown_ = 0;
    std::vector<std::string> messages_;
};

}  // namespace quorvel::cli
