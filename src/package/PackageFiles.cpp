#include "package/PackageFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace quorvel::package {

namespace fs = std::filesystem;

std::string packageName(const std::string& setId, const std::string& sender, int64_t fillNumber) {
    std::string site;
    for (char c : sender) site += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' ? c : '_';
    char fill[24];
    std::snprintf(fill, sizeof fill, "%06lld", static_cast<long long>(fillNumber));
    return "quorvel-" + setId.substr(0, 8) + "-" + site + "-" + fill + kPackageSuffix;
}

std::vector<std::string> packagesIn(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, kPackageSuffix) != 0 || name[0] == '.') continue;
        if (e.is_symlink() || !e.is_regular_file()) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void moveToRead(const std::string& dir, const std::string& name) {
    const fs::path done = fs::path(dir) / kReadFolder;
    std::error_code ec;
    fs::create_directory(done, ec);
    fs::path target = done / name;
    for (int n = 2; fs::exists(fs::symlink_status(target)); ++n) target = done / (name + "." + std::to_string(n));
    fs::rename(fs::path(dir) / name, target, ec);
    if (ec) throw std::runtime_error("Cannot move " + name + " into " + done.string() + ": " + ec.message());
}

bool isFolder(const std::string& dir) {
    struct stat st{};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace quorvel::package
