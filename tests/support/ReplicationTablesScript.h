#pragma once
// The tool's objects from the catalogue beside one user table ITEMS: a
// database the connection tests see as prepared, without arming.
#include <string>

#include "support/ToolObjects.h"

namespace quorvel::test {

inline const std::string kReplicationTables =
    localObjectsScript() + "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\nCOMMIT;\n";

}  // namespace quorvel::test
