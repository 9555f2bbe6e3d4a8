#include "db/DM.h"

#include "db/CatalogSql.h"

namespace quorvel {

using engine::Query;

namespace {

void setLabel(engine::Field* f, const char* label, int width) {
    if (!f) return;
    f->displayLabel = label;
    f->displayWidth = width;
}

// Fixed display properties of the catalog lists, applied whenever they open.
class DisplayProps : public engine::DataSetListener {
public:
    void dataSetOpened(engine::DataSet& ds) override {
        setLabel(ds.findField("RDB$RELATION_NAME"), "Table Name", 30);
        setLabel(ds.findField("RDB$EXTERNAL_FILE"), "External File", 24);
        setLabel(ds.findField("RDB$TRIGGER_NAME"), "Trigger name", 30);
        setLabel(ds.findField("RDB$GENERATOR_NAME"), "Generator Name", 30);
        setLabel(ds.findField("GenValue"), "Value", 0);
        if (auto* f = ds.findField("RDB$TRIGGER_INACTIVE")) f->visible = false;
    }
};

DisplayProps& displayProps() {
    static DisplayProps p;
    return p;
}

void execOn(Query& q, const std::string& sql) {
    q.close();
    q.clearSql();
    q.addSql(sql);
    q.execSql();
}

void showOn(Query& q, const std::string& sql) {
    q.close();
    q.clearSql();
    q.addSql(sql);
    q.open();
}

}  // namespace

DM::DM() {
    Database.setDisplayName("Master/Clone database");
    DatabaseC.setDisplayName("Clone database");
    DatabaseS.setDisplayName("synchro database");
    DatabaseS.setForeign(true);
    struct Named { Query& q; const char* name; const std::string* sql; };
    const Named catalog[] = {
        {QTables, "QTables", &catalog::kTables},
        {QColumns, "QColumns", &catalog::kColumns},
        {QTableTrigger, "QTableTrigger", &catalog::kTableTrigger},
        {QGenerator, "QGenerator", &catalog::kGenerator},
        {QPKGens, "QPKGens", &catalog::kPKGens},
        {QWorkingTables, "QWorkingTables", &catalog::kWorkingTables},
        {QClone, "QClone", &catalog::kClone},
        {QSynchro, "QSynchro", &catalog::kSynchro},
        {QTableOrder, "QTableOrder", &catalog::kTableOrder},
        {QLog, "QLog", &catalog::kExchangeLog},
        {QSTables, "QSTables", &catalog::kSTables},
    };
    for (const auto& c : catalog) {
        c.q.setName(c.name);
        c.q.setSql(*c.sql);
        c.q.setBrowseOnly(true);
        c.q.addListener(&displayProps());
    }
    Q6.setName("Q6");
    Q7.setName("Q7");
    QClone6.setName("QClone6");
    QSynchro6.setName("QSynchro6");
    QSynchro6.setLive(true);
    TMaster.setName("TMaster");
    TSynchro.setName("TSynchro");

    // Both detail lists follow the current table of QTables.
    QColumns.setMasterSource(&QTables);
    QTableTrigger.setMasterSource(&QTables);

    QGenerator.addCalculatedField("GenValue", [this](engine::DataSet& ds, int row) -> engine::Value {
        const int64_t value = Q6Integer(catalog::genValue(Database.identifier(ds.displayText(row, 0))));
        // Closed at once: left open, the statement query would hold its
        // transaction for as long as the grid shows the list.
        Q6.close();
        return value;
    });
}

void DM::Q6Exec(const std::string& sql) { execOn(Q6, sql); }
void DM::Q6Show(const std::string& sql) { showOn(Q6, sql); }
void DM::Q7Exec(const std::string& sql) { execOn(Q7, sql); }
void DM::QClone6Exec(const std::string& sql) { execOn(QClone6, sql); }
void DM::QClone6Show(const std::string& sql) { showOn(QClone6, sql); }
void DM::QSynchro6Exec(const std::string& sql) { execOn(QSynchro6, sql); }
void DM::QSynchro6Show(const std::string& sql) { showOn(QSynchro6, sql); }

void DM::reopen(Query& q, bool toLast) {
    q.disableControls();
    try {
        q.close();
        q.open();
        if (toLast) q.last(); else q.first();
    } catch (...) {
        q.enableControls();
        throw;
    }
    q.enableControls();
}

void DM::ReopenWorkingTables() { reopen(QWorkingTables, false); }
void DM::ReopenPKGens() { reopen(QPKGens, false); }
void DM::ReopenClone() { reopen(QClone, false); }
void DM::ReopenSynchro() { reopen(QSynchro, true); }
void DM::ReopenLog() { reopen(QLog, false); }

int64_t DM::Q6Integer(const std::string& sql) {
    Q6Show(sql);
    if (Q6.isEmpty() || Q6.field(0).isNull()) return 0;
    return Q6.field(0).asInteger();
}

std::string DM::Q6Text(const std::string& sql) {
    Q6Show(sql);
    if (Q6.isEmpty()) return {};
    return Q6.field(0).asString();
}

}  // namespace quorvel
