#pragma once
// Named aliases: a small configuration file with one section per alias,
//   [NAME]
//   SERVER NAME=/path/db.fdb      (or host:path, host/port:path)
//   KEY=VALUE ...
// The file is $QUORVEL_ALIASES when set, else
// $XDG_CONFIG_HOME/quorvel/aliases.conf (default ~/.config/quorvel/aliases.conf).
// A missing file means no aliases.
#include <string>
#include <vector>

namespace quorvel::engine {

class Aliases {
public:
    static std::string configPath();

    // Alias names, sorted.
    static std::vector<std::string> names();
    // The alias's configuration lines "KEY=VALUE" in file order; throws DbError
    // when the alias does not exist.
    static std::vector<std::string> parameters(const std::string& alias);
    // Value of "SERVER NAME" of the alias; throws DbError when unknown.
    static std::string databaseOf(const std::string& alias);
    static bool exists(const std::string& alias);

    // Adds or replaces an alias; `database` becomes its SERVER NAME line,
    // `extra` are further KEY=VALUE lines.
    static void add(const std::string& alias, const std::string& database,
                    const std::vector<std::string>& extra = {});
    // Returns false when there was no such alias.
    static bool remove(const std::string& alias);
};

}  // namespace quorvel::engine
