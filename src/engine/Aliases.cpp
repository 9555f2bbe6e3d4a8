#include "Aliases.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Error.h"

namespace fs = std::filesystem;

namespace quorvel::engine {

namespace {

struct Section {
    std::string name;
    std::vector<std::string> lines;
};

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

// Comment lines (';' or '#') and lines before the first section are ignored.
std::vector<Section> load() {
    std::vector<Section> out;
    std::ifstream in(Aliases::configPath());
    std::string line;
    while (std::getline(in, line)) {
        std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            out.push_back({trim(t.substr(1, t.size() - 2)), {}});
        } else if (!out.empty()) {
            out.back().lines.push_back(t);
        }
    }
    return out;
}

// The file as it stands, line by line, for rewriting it with the user's
// comments, blank lines and order kept.
std::vector<std::string> rawLines() {
    std::vector<std::string> out;
    std::ifstream in(Aliases::configPath());
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

bool isHeader(const std::string& line) {
    std::string t = trim(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

bool isComment(const std::string& line) {
    std::string t = trim(line);
    return t.empty() || t[0] == ';' || t[0] == '#';
}

// Lines [header, end) of the alias's section; header == npos when absent.
struct Span {
    size_t header = std::string::npos;
    size_t end = 0;
};

Span spanOf(const std::vector<std::string>& lines, const std::string& alias) {
    Span sp;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!isHeader(lines[i])) continue;
        if (sp.header != std::string::npos) {
            sp.end = i;
            return sp;
        }
        std::string t = trim(lines[i]);
        if (upper(trim(t.substr(1, t.size() - 2))) == upper(alias)) sp.header = i;
    }
    sp.end = lines.size();
    return sp;
}

// Writes a new file beside the old one and renames it over it, so a failure
// half-way (a full disk) never leaves a cut-off alias file behind.
void save(const std::vector<std::string>& lines) {
    fs::path p(Aliases::configPath());
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    fs::path fresh = p;
    fresh += ".new";
    {
        std::ofstream out(fresh, std::ios::trunc);
        if (!out) throw DbError("Cannot write the alias file " + p.string());
        for (const auto& l : lines) out << l << "\n";
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(fresh, ignored);
            throw DbError("Cannot write the alias file " + p.string());
        }
    }
    std::error_code ec;
    if (fs::exists(p, ec)) fs::permissions(fresh, fs::status(p, ec).permissions(), ec);
    // A password in it is for its owner's eyes only.
    for (const auto& l : lines)
        if (l.rfind("PASSWORD=", 0) == 0 && l.size() > 9)
            fs::permissions(fresh, fs::perms::owner_read | fs::perms::owner_write, ec);
    fs::rename(fresh, p, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(fresh, ignored);
        throw DbError("Cannot write the alias file " + p.string() + ": " + ec.message());
    }
}

// A database given by a relative file path is stored absolute: the file is
// read later from wherever the tool runs. Server names (host:path) and
// bare names the server may resolve itself (its own aliases) stay as given.
std::string storedDatabase(const std::string& database) {
    if (database.empty() || database.find(':') != std::string::npos || database.front() == '/')
        return database;
    if (database.find('/') == std::string::npos && database.find('.') == std::string::npos) return database;
    return fs::absolute(database).lexically_normal().string();
}

const Section* find(const std::vector<Section>& all, const std::string& alias) {
    for (const auto& s : all)
        if (upper(s.name) == upper(alias)) return &s;
    return nullptr;
}

std::string unknown(const std::string& alias) { return "Unknown alias: " + alias; }

}  // namespace

std::string Aliases::configPath() {
    if (const char* p = std::getenv("QUORVEL_ALIASES"); p && *p) return p;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else base = ".config";
    return base + "/quorvel/aliases.conf";
}

std::vector<std::string> Aliases::names() {
    std::vector<std::string> out;
    for (const auto& s : load()) out.push_back(s.name);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<std::string> Aliases::parameters(const std::string& alias) {
    auto all = load();
    const Section* s = find(all, alias);
    if (!s) throw DbError(unknown(alias));
    std::vector<std::string> out;
    for (const auto& l : s->lines) {
        size_t eq = l.find('=');
        out.push_back(eq == std::string::npos ? l : trim(l.substr(0, eq)) + "=" + trim(l.substr(eq + 1)));
    }
    return out;
}

std::string Aliases::databaseOf(const std::string& alias) {
    for (const auto& l : parameters(alias)) {
        size_t eq = l.find('=');
        if (eq != std::string::npos && upper(l.substr(0, eq)) == "SERVER NAME") return l.substr(eq + 1);
    }
    throw DbError("Alias " + alias + " has no SERVER NAME");
}

bool Aliases::exists(const std::string& alias) {
    auto all = load();
    return find(all, alias) != nullptr;
}

void Aliases::add(const std::string& alias, const std::string& database,
                  const std::vector<std::string>& extra) {
    auto hasControl = [](const std::string& s) {
        return std::any_of(s.begin(), s.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; });
    };
    if (trim(alias).empty() || alias.find_first_of("[]") != std::string::npos || hasControl(alias))
        throw DbError("Invalid alias name: " + alias);
    if (hasControl(database)) throw DbError("Invalid database path for " + alias + ": it holds a control character");
    for (const std::string& l : extra)
        if (hasControl(l)) throw DbError("Invalid setting for " + alias + ": it holds a control character");
    std::vector<std::string> body{"SERVER NAME=" + storedDatabase(database)};
    for (const auto& l : extra) body.push_back(l);
    auto lines = rawLines();
    Span sp = spanOf(lines, alias);
    if (sp.header == std::string::npos) {
        if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("");
        lines.push_back("[" + trim(alias) + "]");
        lines.insert(lines.end(), body.begin(), body.end());
    } else {
        // The section keeps its place and its comments; its settings are
        // replaced where the first of them stood.
        std::vector<std::string> section{lines[sp.header]};
        bool placed = false;
        for (size_t i = sp.header + 1; i < sp.end; ++i) {
            if (isComment(lines[i])) {
                section.push_back(lines[i]);
            } else if (!placed) {
                section.insert(section.end(), body.begin(), body.end());
                placed = true;
            }
        }
        if (!placed) section.insert(section.begin() + 1, body.begin(), body.end());
        lines.erase(lines.begin() + sp.header, lines.begin() + sp.end);
        lines.insert(lines.begin() + sp.header, section.begin(), section.end());
    }
    save(lines);
}

bool Aliases::remove(const std::string& alias) {
    auto lines = rawLines();
    Span sp = spanOf(lines, alias);
    if (sp.header == std::string::npos) return false;
    // The header and its settings go; the user's comments stay.
    std::vector<std::string> kept;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool inSection = i >= sp.header && i < sp.end;
        if (!inSection || (i != sp.header && isComment(lines[i]))) kept.push_back(lines[i]);
    }
    save(kept);
    return true;
}

}  // namespace quorvel::engine
