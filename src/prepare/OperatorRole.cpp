// "grant-operator": what an operator who is neither the owner nor SYSDBA
// needs to fill and read, granted to a role the administrator names (and,
// if asked, the role to users). The tool's own triggers and R$FILL hold
// their own rights; this is the operator's.
#include <optional>
#include <string>
#include <vector>

#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "prepare/Operations.h"
#include "replica/Catalogue.h"
#include "replica/Presence.h"
#include "replica/SchemaVersion.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"

namespace quorvel::prepare {

namespace {

std::vector<std::string> operatorRights(engine::Database& db) {
    std::vector<std::string> rights;
    for (const replica::catalogue::Object& o : replica::catalogue::localObjects()) {
        using Kind = replica::catalogue::Object::Kind;
        if (o.kind == Kind::Table && replica::TablePresent(db, o.name)) rights.push_back("all on " + o.name);
        if (o.kind == Kind::Generator && replica::GeneratorPresent(db, o.name))
            rights.push_back("usage on generator " + o.name);
        if (o.kind == Kind::Procedure && replica::ProcedurePresent(db, o.name))
            rights.push_back("execute on procedure " + o.name);
    }
    // A read writes the working tables; a fill reads the primary-key generators.
    for (const std::string& table : replica::workingTables(db)) rights.push_back("all on " + db.identifier(table));
    for (const std::string& generator : replica::firstColumn(db, "select GeneratorName from R$PkGens"))
        if (replica::GeneratorPresent(db, generator)) rights.push_back("usage on generator " + db.identifier(generator));
    return rights;
}

}  // namespace

Outcome GrantOperatorRole(engine::Database& local, const std::string& typedRole, const std::vector<std::string>& users,
                          Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        replica::requireCurrentVersion(local);
        const std::optional<std::string> role = replica::plainName(typedRole);
        if (!role) throw Refused("\"" + typedRole + "\" is no plain role name (letters, digits, _ and $). Nothing was changed.");
        std::vector<std::string> grantees;
        for (const std::string& u : users) {
            const std::optional<std::string> user = replica::plainName(u);
            if (!user) throw Refused("\"" + u + "\" is no plain user name. Nothing was changed.");
            grantees.push_back(*user);
        }
        if (!reporter.confirm("Grant role " + *role + " what fill and read need here (the replication tables, "
                              "generators and procedures, and every working table)" +
                              (grantees.empty() ? std::string() : ", and the role to the users named") + "?"))
            return Outcome::cancelled();
        {
            engine::Transaction tx(local);
            if (replica::integerOf(local, "select count(*) from RDB$Roles where RDB$Role_Name = '" + *role + "'") == 0)
                local.execute("create role " + *role);
            tx.commit();
        }
        engine::Transaction tx(local);
        const std::vector<std::string> rights = operatorRights(local);
        for (const std::string& right : rights) local.execute("grant " + right + " to role " + *role);
        for (const std::string& user : grantees) local.execute("grant " + *role + " to " + user);
        tx.commit();
        reporter.notice("Role " + *role + " holds " + std::to_string(rights.size()) +
                        " rights for fill and read. An operator connects with --role " + *role +
                        ". Run this again after the working tables change.");
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare
