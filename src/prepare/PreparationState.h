#pragma once
// How far a database is prepared for replication, read from the catalogue
// and the tool's own tables: what the connect check shows on the page, and
// what else a look at the database should tell before a fill or a read.
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::prepare {

// A working table that is not fully armed, and why.
struct UnarmedTable {
    std::string name;
    std::string why;  // e.g. "no record-code columns", "2 rows without a record code"
};

struct PreparationState {
    bool metaPresent = false;  // R$CLONE exists ("Prepare completed")
    std::string identity;      // the R$CLONE row marked ME = "Y"
    // Each read below is either its answer or the server's refusal of it.
    struct Flag {
        bool value = false;
        std::string error;  // not empty when the value could not be read
    };
    Flag triggersSwitchedOff;  // R$Trig set by "Make Triggers Inactive"
    Flag armingInterrupted;    // a "Recreate triggers" stopped midway left the triggers off
    Flag tableOrderPresent;    // rows in R$TABLEORDER
    int workingTables = 0;
    std::vector<UnarmedTable> unarmed;
    std::string armingError;  // not empty when the arming could not be checked
};

// Reads the state of `db`, in whatever transaction is open.
PreparationState ReadPreparationState(engine::Database& db);

}  // namespace quorvel::prepare
