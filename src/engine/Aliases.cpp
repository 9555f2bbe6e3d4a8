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

void save(const std::vector<Section>& sections) {
    fs::path p(Aliases::configPath());
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::trunc);
    if (!out) throw DbError("Cannot write the alias file " + p.string());
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i) out << "\n";
        out << "[" << sections[i].name << "]\n";
        for (const auto& l : sections[i].lines) out << l << "\n";
    }
    if (!out) throw DbError("Cannot write the alias file " + p.string());
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
    if (trim(alias).empty() || alias.find_first_of("[]\n\r") != std::string::npos)
        throw DbError("Invalid alias name: " + alias);
    auto all = load();
    Section fresh{trim(alias), {"SERVER NAME=" + database}};
    for (const auto& l : extra) fresh.lines.push_back(l);
    bool replaced = false;
    for (auto& s : all) {
        if (upper(s.name) == upper(alias)) {
            s = fresh;
            replaced = true;
            break;
        }
    }
    if (!replaced) all.push_back(fresh);
    save(all);
}

bool Aliases::remove(const std::string& alias) {
    auto all = load();
    auto it = std::find_if(all.begin(), all.end(),
                           [&](const Section& s) { return upper(s.name) == upper(alias); });
    if (it == all.end()) return false;
    all.erase(it);
    save(all);
    return true;
}

}  // namespace quorvel::engine
