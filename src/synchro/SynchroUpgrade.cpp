#include "synchro/SynchroUpgrade.h"

#include "engine/Transaction.h"
#include "replica/Acknowledgements.h"
#include "replica/Presence.h"
#include "replica/Statements.h"
#include "synchro/SynchroIdentity.h"

namespace quorvel::synchro {

const char* const kCreateAcknowledgedTable =
    "create table R$ACKNOWLEDGED (SITENUMBER INTEGER NOT NULL PRIMARY KEY, SITENAME CHAR(31), FILLNUMBER INTEGER)";

void completeSynchroDefinition(engine::Database& synchro) {
    auto ddl = [&synchro](const std::string& statement) {
        engine::Transaction tx(synchro);
        replica::run(synchro, statement);
        tx.commit();
    };
    if (!replica::TablePresent(synchro, "R$SENDER")) ddl(kCreateSenderTable);
    if (!replica::TablePresent(synchro, "R$ACKNOWLEDGED")) ddl(kCreateAcknowledgedTable);
    if (!replica::ColumnPresent(synchro, "R$DELETEDUPDATED", "FIRSTFILL"))
        ddl(replica::kAddJournalColumns);
}

int64_t acknowledgementOf(engine::Database& synchro, int64_t site) {
    if (!replica::TablePresent(synchro, "R$ACKNOWLEDGED")) return 0;
    return replica::integerOf(synchro,
                              "select FillNumber from R$Acknowledged where SiteNumber = " + std::to_string(site));
}

}  // namespace quorvel::synchro
