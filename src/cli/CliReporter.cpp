#include "cli/CliReporter.h"

#include <unistd.h>

#include <istream>
#include <string>
#include <ostream>

namespace quorvel::cli {

std::string printable(const std::string& value, bool keepLines) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : value) {
        if ((c < 0x20 || c == 0x7f) && !(keepLines && (c == '\n' || c == '\t'))) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

CliReporter::CliReporter(std::istream& in, std::ostream& err, bool assumeYes, bool interactive)
    : in_(in), err_(err), assumeYes_(assumeYes), interactive_(interactive) {}

void CliReporter::show(const std::string& text) {
    err_ << printable(text, true) << '\n';
    err_.flush();
    ++messagesShown_;
    messages_.push_back(text);
}

bool CliReporter::confirm(const std::string& question) {
    if (assumeYes_) return true;
    if (!interactive_) {
        err_ << printable(question, true) << " No (no terminal; use --yes)\n";
        return false;
    }
    err_ << printable(question, true) << " [y/N] ";
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
