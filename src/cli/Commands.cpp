#include "cli/Commands.h"

#include <cstring>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include "clone/Operations.h"
#include "cli/Session.h"
#include "ddl/Operations.h"
#include "prepare/Operations.h"
#include "replica/Presence.h"

namespace quorvel::cli {

namespace {

// Connects what the options ask for, then runs `op`.
template <class Op>
int localOperation(Session& s, Op op) {
    s.requireLocal();
    if (!s.connect()) return s.connectStatus;
    return s.operation(op);
}

int cmdCreateMeta(Session& s) {
    const auto max1 = s.args.value("--max1");
    const auto max2 = s.args.value("--max2");
    prepare::MasterBounds bounds;
    if (max1) bounds.maxValue1 = *max1;
    if (max2) bounds.maxValue2 = *max2;
    s.requireLocal();
    if (!s.connect()) return s.connectStatus;
    // The bounds only reach the MASTER row of a new journal table.
    const bool prepared = replica::TablePresent(s.dm.UserDB(), "R$DELETEDUPDATED");
    const int rc = s.operation(
        [&](DM& dm, Reporter& ui) { return prepare::CreateMetaStructures(dm.UserDB(), bounds, ui); });
    if (rc == 0 && prepared && (max1 || max2))
        s.err << "The database was prepared already: the bounds given (--max1/--max2) were not applied; "
                 "the MASTER row keeps its own.\n";
    return rc;
}

// The operations of the master that take nothing but the database.
template <Outcome (*op)(engine::Database&, Reporter&)>
int onMaster(Session& s) {
    return localOperation(s, [](DM& dm, Reporter& ui) { return op(dm.UserDB(), ui); });
}

int cmdEraseMeta(Session& s) { return onMaster<prepare::EraseMetaStructures>(s); }

// Runs `op` on the row of `list` named by the command's argument, as the
// button acts on its grid's current row.
template <class Op>
int onNamedRow(Session& s, engine::Query& (*list)(DM&), const char* column, const char* what, Op op) {
    s.requireLocal();
    if (!s.connect()) return s.connectStatus;
    const std::optional<std::string> row = s.find(list(s.dm), column, s.args.words[1], what);
    if (!row) return kExitRefused;
    return s.operation([&](DM& dm, Reporter& ui) { return op(dm, ui, *row); });
}

engine::Query& qTables(DM& dm) { return dm.QTables; }
engine::Query& qWorking(DM& dm) { return dm.QWorkingTables; }
engine::Query& qGenerator(DM& dm) { return dm.QGenerator; }
engine::Query& qPKGens(DM& dm) { return dm.QPKGens; }
engine::Query& qClone(DM& dm) { return dm.QClone; }

int cmdAddTable(Session& s) {
    return onNamedRow(s, qTables, "RDB$RELATION_NAME", "Table",
                      [](DM& dm, Reporter& ui, const std::string& row) {
                          return prepare::AddWorkingTable(dm.UserDB(), row, ui);
                      });
}
int cmdRemoveTable(Session& s) {
    return onNamedRow(s, qWorking, "NAME", "Working table", [](DM& dm, Reporter& ui, const std::string& row) {
        return prepare::RemoveWorkingTable(dm.UserDB(), row, ui);
    });
}
int cmdSelectAll(Session& s) { return onMaster<prepare::AddAllWorkingTables>(s); }
int cmdRemoveAll(Session& s) { return onMaster<prepare::RemoveAllWorkingTables>(s); }

int cmdAddGen(Session& s) {
    // Without --offset, the offset "Offset setting" proposes.
    const std::string offset = s.args.value("--offset").value_or(prepare::kDefaultKeyOffset);
    return onNamedRow(s, qGenerator, "RDB$GENERATOR_NAME", "Generator",
                      [&](DM& dm, Reporter& ui, const std::string& row) {
                          return prepare::AddKeyGenerator(dm.UserDB(), row, offset, ui);
                      });
}
int cmdRemoveGen(Session& s) {
    return onNamedRow(s, qPKGens, "GENERATORNAME", "Generator", [](DM& dm, Reporter& ui, const std::string& row) {
        return prepare::RemoveKeyGenerator(dm.UserDB(), row, ui);
    });
}
int cmdRecreateTriggers(Session& s) { return onMaster<prepare::RecreateTriggers>(s); }
int cmdRenewTriggers(Session& s) { return onMaster<prepare::RenewTriggers>(s); }
int cmdGuardTriggers(Session& s) { return onMaster<prepare::GuardTriggers>(s); }
int cmdUnguardTriggers(Session& s) { return onMaster<prepare::UnguardTriggers>(s); }

int cmdAcceptRestore(Session& s) { return onMaster<prepare::AcceptRestore>(s); }
int cmdTriggersInactive(Session& s) { return onMaster<prepare::MakeTriggersInactive>(s); }
int cmdTriggersActive(Session& s) { return onMaster<prepare::MakeTriggersActive>(s); }

int cmdNewClone(Session& s) {
    auto max1 = s.args.value("--max1");
    auto max2 = s.args.value("--max2");
    if (!max1 || !max2) throw UsageError{"new-clone needs --max1 TEXT and --max2 TEXT"};
    const clone::CloneEntry entry{s.args.words[1], *max1, *max2};
    return localOperation(s, [&](DM& dm, Reporter& ui) {
        return clone::RegisterClone(dm.UserDB(), entry, ui).outcome;
    });
}

int cmdDeleteClone(Session& s) {
    return onNamedRow(s, qClone, "NAME", "Clone", [](DM& dm, Reporter& ui, const std::string& row) {
        return clone::DeleteClone(dm.UserDB(), row, ui);
    });
}

int cmdUpdateClone(Session& s) {
    s.requireClone();
    // The named row is the clone list's current row once found.
    return onNamedRow(s, qClone, "NAME", "Clone", [](DM& dm, Reporter& ui, const std::string& name) {
        const clone::CloneRow row{dm.QClone.fieldByName("Number").asInteger(), name};
        return clone::UpdateClone(dm.UserDB(), dm.CloneDB(), row, ui);
    });
}

int cmdMakeClone(Session& s) {
    auto max1 = s.args.value("--max1");
    auto max2 = s.args.value("--max2");
    if (!max1 || !max2) throw UsageError{"make-clone needs --max1 TEXT and --max2 TEXT"};
    const clone::MakeCloneInput input{{s.args.words[1], *max1, *max2}, s.args.words[2]};
    return localOperation(s, [&](DM& dm, Reporter& ui) { return clone::MakeClone(dm.UserDB(), input, ui); });
}

int cmdReRegister(Session& s) {
    s.requireClone();
    auto max1 = s.args.value("--max1");
    auto max2 = s.args.value("--max2");
    if (!max1 || !max2) throw UsageError{"re-register needs --max1 TEXT and --max2 TEXT"};
    const clone::ReRegisterInput input{{s.args.words[1], *max1, *max2}, s.args.words[2]};
    return localOperation(s, [&](DM& dm, Reporter& ui) {
        return clone::ReRegister(dm.UserDB(), dm.CloneDB(), input, ui);
    });
}

int cmdReRegisterMaster(Session& s) {
    s.requireClone();
    return localOperation(s, [&](DM& dm, Reporter& ui) { return clone::ReRegisterMaster(dm.UserDB(), dm.CloneDB(), ui); });
}

int cmdGrantOperator(Session& s) {
    const std::vector<std::string> users(s.args.words.begin() + 2, s.args.words.end());
    return localOperation(s, [&](DM& dm, Reporter& ui) {
        return prepare::GrantOperatorRole(dm.UserDB(), s.args.words[1], users, ui);
    });
}

// SOURCE "-" is standard input, TARGET "-" standard output (the script is
// written there only once the conversion is done).
int cmdConvertDdl(Session& s) {
    s.requireLocal();
    const std::string& source = s.args.words[1];
    const std::string& target = s.args.words[2];
    std::string extract, script;
    ddl::DdlTexts texts;
    if (source == "-" && s.args.value("--fetch-password") == "-")
        throw UsageError{"standard input cannot give both the extract and the password"};
    if (source == "-") {
        extract.assign(std::istreambuf_iterator<char>(s.in), {});
        texts.sourceText = &extract;
    }
    if (target == "-") texts.script = &script;
    if (!s.connect()) return s.connectStatus;
    const int status = s.operation([&](DM& dm, Reporter& ui) {
        return ddl::ConvertDdl(dm.UserDB(), source == "-" ? "(standard input)" : source,
                               target == "-" ? "(standard output)" : target, ui, texts);
    });
    if (status == kExitDone && texts.script) s.out << script << std::flush;
    return status;
}

const Command kCommands[] = {
    {"aliases", 0, -1, cmdAliases},
    {"create-database", 1, 1, cmdCreateDatabase},
    {"status", 0, 0, cmdStatus},
    {"sites", 0, 0, cmdSites},
    {"log", 0, 0, cmdLog},
    {"log-keep", 1, 1, cmdLogKeep},
    {"create-meta", 0, 0, cmdCreateMeta},
    {"erase-meta", 0, 0, cmdEraseMeta},
    {"add-table", 1, 1, cmdAddTable},
    {"remove-table", 1, 1, cmdRemoveTable},
    {"select-all-tables", 0, 0, cmdSelectAll},
    {"remove-all-tables", 0, 0, cmdRemoveAll},
    {"add-gen", 1, 1, cmdAddGen},
    {"remove-gen", 1, 1, cmdRemoveGen},
    {"recreate-triggers", 0, 0, cmdRecreateTriggers},
    {"renew-triggers", 0, 0, cmdRenewTriggers},
    {"guard-triggers", 0, 0, cmdGuardTriggers},
    {"unguard-triggers", 0, 0, cmdUnguardTriggers},
    {"accept-restore", 0, 0, cmdAcceptRestore},
    {"grant-operator", 1, -1, cmdGrantOperator},
    {"triggers-inactive", 0, 0, cmdTriggersInactive},
    {"triggers-active", 0, 0, cmdTriggersActive},
    {"new-clone", 1, 1, cmdNewClone},
    {"delete-clone", 1, 1, cmdDeleteClone},
    {"update-clone", 1, 1, cmdUpdateClone},
    {"make-clone", 2, 2, cmdMakeClone},
    {"re-register", 2, 2, cmdReRegister},
    {"re-register-master", 0, 0, cmdReRegisterMaster},
    {"convert-ddl", 2, 2, cmdConvertDdl},
};

}  // namespace

const Command* findCommand(const std::string& word) {
    for (const Command& c : kCommands)
        if (word == c.name) return &c;
    if (const Command* c = findExchangeCommand(word)) return c;
    return findPackageCommand(word);
}

std::vector<std::string> commandWords() {
    std::vector<std::string> words;
    for (const Command& c : kCommands) words.push_back(c.name);
    for (const std::string& w : exchangeCommandWords()) words.push_back(w);
    for (const std::string& w : packageCommandWords()) words.push_back(w);
    return words;
}

}  // namespace quorvel::cli
