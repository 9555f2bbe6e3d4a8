#include "cli/CliFrontend.h"

#include <unistd.h>

#include <istream>
#include <ostream>

namespace quorvel::cli {

CliFrontend::CliFrontend(std::istream& in, std::ostream& err, bool assumeYes, bool interactive)
    : in_(in), err_(err), assumeYes_(assumeYes), interactive_(interactive) {}

void CliFrontend::queueConnect(const std::string& alias, const std::string& user,
                               const std::string& password) {
    connects_.push_back({alias, user, password});
}

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

std::optional<std::string> CliFrontend::chooseOpenFile(const std::string&) {
    if (openFiles.empty()) return std::nullopt;
    std::string f = openFiles.front();
    openFiles.pop_front();
    return f;
}

std::optional<std::string> CliFrontend::chooseSaveFile(const std::string&, const std::string&) {
    if (saveFiles.empty()) return std::nullopt;
    std::string f = saveFiles.front();
    saveFiles.pop_front();
    return f;
}

std::optional<std::string> CliFrontend::chooseAlias() {
    if (connects_.empty()) return std::nullopt;
    return connects_.front().alias;
}

bool CliFrontend::login(const std::string&, std::string& user, std::string& password) {
    if (connects_.empty()) return false;
    user = connects_.front().user;
    password = connects_.front().password;
    connects_.pop_front();
    return true;
}

bool CliFrontend::cloneDialog(const std::function<std::string(const CloneEntry&)>&) {
    // new-clone registers the name and bounds of its command line directly;
    // the terminal has no dialog to type them into.
    return false;
}

void CliFrontend::rowsProgress(const std::string& table, long long rows) {
    if (!isatty(STDERR_FILENO)) return;
    err_ << "\r\033[K  " << table << ": " << rows << " rows" << std::flush;
}

}  // namespace quorvel::cli
