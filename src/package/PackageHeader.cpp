#include "package/PackageHeader.h"

#include <stdexcept>

namespace quorvel::package {

namespace {

std::string escape(const std::string& v) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : v) {
        if (c == '%' || c == '=' || c == '\n' || c == '\r' || c < 0x20) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '%') {
            out += v[i];
            continue;
        }
        const std::string two = v.substr(i + 1, 2);
        if (two.size() != 2 || two.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            throw std::runtime_error("bad escape");
        out += static_cast<char>(std::stoi(two, nullptr, 16));
        i += 2;
    }
    return out;
}

int64_t integer(const std::string& v) {
    size_t used = 0;
    const long long n = std::stoll(v, &used);
    if (used != v.size()) throw std::runtime_error("bad number");
    return n;
}

}  // namespace

std::string PackageHeader::text() const {
    std::string t;
    auto line = [&t](const std::string& name, const std::string& value) { t += name + "=" + escape(value) + "\n"; };
    line("format", std::to_string(format));
    line("set", setId);
    line("generation", std::to_string(generation));
    line("sender", sender);
    line("senderNumber", std::to_string(senderNumber));
    line("incarnation", incarnation);
    line("fill", std::to_string(fillNumber));
    line("fillDate", fillDate);
    line("content", content);
    line("journal", std::to_string(journalEntries));
    for (const auto& [site, fill] : acknowledged) line("ack", std::to_string(site) + ":" + std::to_string(fill));
    for (const auto& [table, rows] : tableRows) line("rows", std::to_string(rows) + ":" + table);
    return t;
}

PackageHeader PackageHeader::parse(const std::string& text) {
    PackageHeader h;
    bool sawFormat = false, sawSet = false, sawSender = false, sawFill = false;
    size_t start = 0;
    try {
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            if (end == std::string::npos) throw std::runtime_error("unterminated line");
            const std::string line = text.substr(start, end - start);
            start = end + 1;
            const size_t eq = line.find('=');
            if (eq == std::string::npos) throw std::runtime_error("no =");
            const std::string name = line.substr(0, eq), value = unescape(line.substr(eq + 1));
            if (name == "format") h.format = static_cast<int>(integer(value)), sawFormat = true;
            else if (name == "set") h.setId = value, sawSet = true;
            else if (name == "generation") h.generation = integer(value);
            else if (name == "sender") h.sender = value, sawSender = true;
            else if (name == "senderNumber") h.senderNumber = integer(value);
            else if (name == "incarnation") h.incarnation = value;
            else if (name == "fill") h.fillNumber = integer(value), sawFill = true;
            else if (name == "fillDate") h.fillDate = value;
            else if (name == "content") h.content = value;
            else if (name == "journal") h.journalEntries = integer(value);
            else if (name == "ack" || name == "rows") {
                const size_t colon = value.find(':');
                if (colon == std::string::npos) throw std::runtime_error("no :");
                if (name == "ack")
                    h.acknowledged.emplace_back(integer(value.substr(0, colon)), integer(value.substr(colon + 1)));
                else
                    h.tableRows.emplace_back(value.substr(colon + 1), integer(value.substr(0, colon)));
            }
            // An unknown name is a later addition of the same format: passed over.
        }
    } catch (const std::exception&) {
        throw std::runtime_error("its header cannot be read");
    }
    if (!sawFormat || !sawSet || !sawSender || !sawFill) throw std::runtime_error("its header is incomplete");
    return h;
}

}  // namespace quorvel::package
