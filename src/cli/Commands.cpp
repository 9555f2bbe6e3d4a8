#include "cli/Commands.h"

#include <cstring>
#include <ostream>

#include "clone/Operations.h"
#include "cli/Session.h"
#include "ddl/Operations.h"
#include "prepare/Operations.h"

namespace quorvel::cli {

namespace {

// Connects what the options ask for, then runs `op` when `ready` holds.
template <class Op>
int localOperation(Session& s, Op op) {
    if (!s.requireLocal()) return 1;
    if (!s.connect()) return 1;
    return s.operation(op);
}

int cmdCreateMeta(Session& s) {
    if (auto v = s.args.value("--max1")) s.ui.setText("EditMaxValue1", *v);
    if (auto v = s.args.value("--max2")) s.ui.setText("EditMaxValue2", *v);
    return localOperation(s, prepare::CreateMeta);
}

int cmdEraseMeta(Session& s) { return localOperation(s, prepare::EraseMeta); }

// Runs `op` with the row named by the command's argument made current.
template <class Op>
int onNamedRow(Session& s, engine::Query& (*query)(DM&), const char* column, const char* what, Op op) {
    if (!s.requireLocal()) return 1;
    if (!s.connect()) return 1;
    if (!s.select(query(s.dm), column, s.args.words[1], what)) return 1;
    return s.operation(op);
}

engine::Query& qTables(DM& dm) { return dm.QTables; }
engine::Query& qWorking(DM& dm) { return dm.QWorkingTables; }
engine::Query& qGenerator(DM& dm) { return dm.QGenerator; }
engine::Query& qPKGens(DM& dm) { return dm.QPKGens; }
engine::Query& qClone(DM& dm) { return dm.QClone; }

int cmdAddTable(Session& s) { return onNamedRow(s, qTables, "RDB$RELATION_NAME", "Table", prepare::AddTable); }
int cmdRemoveTable(Session& s) { return onNamedRow(s, qWorking, "NAME", "Working table", prepare::RemoveTable); }
int cmdSelectAll(Session& s) { return localOperation(s, prepare::AddAllTables); }
int cmdRemoveAll(Session& s) { return localOperation(s, prepare::RemoveAllTables); }

int cmdAddGen(Session& s) {
    if (auto v = s.args.value("--offset")) s.ui.inputAnswer = *v;
    return onNamedRow(s, qGenerator, "RDB$GENERATOR_NAME", "Generator", prepare::AddGen);
}
int cmdRemoveGen(Session& s) { return onNamedRow(s, qPKGens, "GENERATORNAME", "Generator", prepare::RemoveGen); }
int cmdRecreateTriggers(Session& s) { return localOperation(s, prepare::CreateTriggers); }

int cmdTriggersInactive(Session& s) { return localOperation(s, prepare::InactiveTriggers); }
int cmdTriggersActive(Session& s) { return localOperation(s, prepare::ActiveTriggers); }

int cmdNewClone(Session& s) {
    auto max1 = s.args.value("--max1");
    auto max2 = s.args.value("--max2");
    if (!max1 || !max2) throw UsageError{"new-clone needs --max1 TEXT and --max2 TEXT"};
    s.ui.cloneEntry = Frontend::CloneEntry{s.args.words[1], *max1, *max2};
    return localOperation(s, clone::NewClone);
}

int cmdDeleteClone(Session& s) { return onNamedRow(s, qClone, "NAME", "Clone", clone::DelClone); }

int cmdUpdateClone(Session& s) {
    if (!s.requireClone()) return 1;
    return onNamedRow(s, qClone, "NAME", "Clone", clone::UpdateCloneGens);
}

int cmdConvertDdl(Session& s) {
    if (!s.requireLocal()) return 1;
    if (!s.connect()) return 1;
    s.ui.startOperation();
    Outcome outcome = ddl::ConvertDdl(s.dm, s.ui, s.args.words[1], s.args.words[2]);
    if (!outcome.isDone() && s.ui.messagesShown() == 0) s.err << outcome.message() << '\n';
    return outcome.exitCode();
}

const Command kCommands[] = {
    {"aliases", 0, -1, cmdAliases},
    {"create-database", 1, 1, cmdCreateDatabase},
    {"status", 0, 0, cmdStatus},
    {"create-meta", 0, 0, cmdCreateMeta},
    {"erase-meta", 0, 0, cmdEraseMeta},
    {"add-table", 1, 1, cmdAddTable},
    {"remove-table", 1, 1, cmdRemoveTable},
    {"select-all-tables", 0, 0, cmdSelectAll},
    {"remove-all-tables", 0, 0, cmdRemoveAll},
    {"add-gen", 1, 1, cmdAddGen},
    {"remove-gen", 1, 1, cmdRemoveGen},
    {"recreate-triggers", 0, 0, cmdRecreateTriggers},
    {"triggers-inactive", 0, 0, cmdTriggersInactive},
    {"triggers-active", 0, 0, cmdTriggersActive},
    {"new-clone", 1, 1, cmdNewClone},
    {"delete-clone", 1, 1, cmdDeleteClone},
    {"update-clone", 1, 1, cmdUpdateClone},
    {"convert-ddl", 2, 2, cmdConvertDdl},
};

}  // namespace

const Command* findCommand(const std::string& word) {
    for (const Command& c : kCommands)
        if (word == c.name) return &c;
    return findExchangeCommand(word);
}

}  // namespace quorvel::cli
