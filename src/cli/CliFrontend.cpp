#include "cli/CliFrontend.h"

#include <unistd.h>

#include <istream>
#include <ostream>

namespace quorvel::cli {

CliFrontend::CliFrontend(std::istream& in, std::ostream& err, bool assumeYes, bool interactive)
    : in_(in), err_(err), assumeYes_(assumeYes), interactive_(interactive) {}

void CliFrontend::setWorking() {
    ControlStore::setWorking();
    okEnded_ = errorEnded_ = false;
}

void CliFrontend::setOK() {
    ControlStore::setOK();
    okEnded_ = true;
    errorEnded_ = false;
    messageSinceOk_ = false;
}

void CliFrontend::setError() {
    ControlStore::setError();
    errorEnded_ = true;
    okEnded_ = false;
}

void CliFrontend::showMessage(const std::string& text) {
    err_ << text << '\n';
    err_.flush();
    messageSinceOk_ = true;
    okEnded_ = false;
    ++messagesShown_;
}

bool CliFrontend::confirm(const std::string& question) {
    if (assumeYes_) return true;
    if (!interactive_) {
        err_ << question << " No (no terminal; use --yes)\n";
        return false;
    }
    err_ << question << " [y/N] ";
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

std::optional<std::string> CliFrontend::inputBox(const std::string&, const std::string&,
                                                 const std::string& defaultText) {
    // The commands pass what they were given; a box still asked is
    // confirmed as it opens.
    return defaultText;
}

void CliFrontend::rowsProgress(const std::string& table, long long rows) {
    if (!isatty(STDERR_FILENO)) return;
    err_ << "\r\033[K  " << table << ": " << rows << " rows" << std::flush;
}

}  // namespace quorvel::cli
