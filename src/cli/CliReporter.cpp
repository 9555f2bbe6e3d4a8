#include "cli/CliReporter.h"

#include <unistd.h>

#include <istream>
#include <ostream>

namespace quorvel::cli {

CliReporter::CliReporter(std::istream& in, std::ostream& err, bool assumeYes, bool interactive)
    : in_(in), err_(err), assumeYes_(assumeYes), interactive_(interactive) {}

void CliReporter::show(const std::string& text) {
    err_ << text << '\n';
    err_.flush();
    ++messagesShown_;
    messages_.push_back(text);
}

bool CliReporter::confirm(const std::string& question) {
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

void CliReporter::rows(const std::string& table, long long count) {
    if (!isatty(STDERR_FILENO)) return;
    err_ << "\r\033[K  " << table << ": " << count << " rows" << std::flush;
}

}  // namespace quorvel::cli
