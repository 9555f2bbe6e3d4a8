#include <optional>
#include <ostream>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "engine/Aliases.h"
#include "engine/Database.h"
#include "engine/DatabaseFacts.h"

namespace quorvel::cli {

int cmdAliases(Session& s) {
    const auto& w = s.args.words;
    if (w.size() == 1) {
        std::vector<std::string> names;
        for (const auto& n : engine::Aliases::names()) {
            if (s.args.json) names.push_back(json::text(n));
            else s.out << n << '\n';
        }
        if (s.args.json) s.out << json::Object().raw("aliases", json::array(names)).str() << '\n';
        return 0;
    }
    const std::string& sub = w[1];
    if (sub == "show" && w.size() == 3) {
        // A password is in the file for the connections, not for the screen.
        json::Object parameters;
        for (const auto& line : engine::Aliases::parameters(w[2])) {
            const std::string shown =
                line.rfind("PASSWORD=", 0) == 0 && line.size() > 9 ? std::string("PASSWORD=***") : line;
            const auto eq = shown.find('=');
            if (!s.args.json) s.out << shown << '\n';
            else if (eq != std::string::npos) parameters.text(shown.substr(0, eq), shown.substr(eq + 1));
        }
        if (s.args.json) s.out << json::Object().text("name", w[2]).raw("parameters", parameters.str()).str() << '\n';
        return 0;
    }
    if (sub == "add" && w.size() >= 4) {
        std::vector<std::string> extra(w.begin() + 4, w.end());
        for (const auto& kv : extra)
            if (kv.find('=') == std::string::npos || kv.front() == '=')
                throw UsageError{"expected KEY=VALUE, got " + kv};
        engine::Aliases::add(w[2], w[3], extra);
        return 0;
    }
    if (sub == "remove" && w.size() == 3) {
        if (engine::Aliases::remove(w[2])) return 0;
        s.err << "No alias named " << w[2] << '\n';
        return kExitRefused;
    }
    throw UsageError{"aliases [show NAME | add NAME DATABASE [KEY=VALUE ...] | remove NAME]"};
}

// With --like ALIAS the new database takes the dialect and the default
// character set of the alias's database, so that a synchro database holds
// whatever the master's texts hold. --dialect 3 makes a dialect-3 database;
// given with --like, it must agree with the alias's dialect.
int cmdCreateDatabase(Session& s) {
    const std::string user = s.args.value("--user").value_or("SYSDBA");
    const std::string password = s.args.value("--password").value_or("");
    const std::optional<std::string> dialectText = s.args.value("--dialect");
    if (dialectText && *dialectText != "1" && *dialectText != "3")
        throw UsageError{"--dialect takes 1 or 3, not " + *dialectText};
    engine::DatabaseFacts like{"", dialectText ? std::stoi(*dialectText) : 1, ""};
    if (const auto alias = s.args.value("--like")) {
        engine::Database model("LikeDB");
        model.setAliasName(*alias);
        model.setParams({"USER NAME=" + user, "PASSWORD=" + password});
        try {
            model.connect();
            like = engine::readDatabaseFacts(model);
        } catch (const std::exception& e) {
            s.err << "Cannot read the database of " << *alias << ": " << e.what() << "\nNothing was created.\n";
            return 1;
        }
        model.disconnect();
        if (dialectText && std::stoi(*dialectText) != like.sqlDialect) {
            s.err << "--dialect " << *dialectText << " differs from the dialect " << like.sqlDialect << " of " << *alias
                  << ": one replication set has one dialect. Nothing was created.\n";
            return kExitRefused;
        }
    }
    engine::Database::createDatabase(s.args.words[1], user, password, 8192, like.sqlDialect, like.defaultCharset);
    s.out << "Created " << s.args.words[1];
    if (!s.args.value("--like") && like.sqlDialect != 1) s.out << " (dialect " << like.sqlDialect << ")";
    if (s.args.value("--like"))
        s.out << " (dialect " << like.sqlDialect << ", default character set " << like.defaultCharset << ", like "
              << *s.args.value("--like") << ")";
    s.out << '\n';
    return 0;
}

}  // namespace quorvel::cli
