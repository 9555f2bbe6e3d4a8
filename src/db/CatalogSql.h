#pragma once
// The SQL of the catalog queries, line by line as the lists expect it
// (including the trailing blanks and empty last lines some of them carry).
#include <string>

#include "replica/ReplicationSchema.h"

namespace quorvel::catalog {

inline const std::string kTables =
    "select distinct RDB$Relation_Name, RDB$External_File from RDB$Relations\n"
    "where RDB$SYSTEM_FLAG <> 1 and RDB$Relation_Name not in (\n"
    "select RDB$View_Name from RDB$View_Relations)\n"
    "and (not RDB$Relation_Name containing 'R$')\n"
    "and (not RDB$Relation_Name containing 'META$')\n"
    "and RDB$External_File is null\n"
    "order by RDB$Relation_Name\n";

inline const std::string kColumns =
    "select RF.RDB$Field_Name, RF.RDB$Field_Source, \n"
    "          F.RDB$Field_Type, F.RDB$Field_Sub_Type, \n"
    "          F.RDB$Field_Length, F.RDB$Field_Scale, RF.RDB$Field_Position,\n"
    "          F.RDB$Computed_Source\n"
    "from RDB$Relation_Fields RF, RDB$Fields F\n"
    "where  RF.RDB$Field_Source = F.RDB$Field_Name and\n"
    "            RDB$Relation_Name = :RDB$Relation_Name\n"
    "order by RDB$Field_Position\n";

// The triggers of the working tables, as the trigger switches read them.
inline const std::string& kTableTrigger = replica::schema::kWorkingTableTriggers;

inline const std::string kGenerator =
    "select RDB$Generator_Name\n"
    "from RDB$Generators\n"
    "where not (RDB$Generator_Name like 'RDB$%')\n"
    "and (not RDB$Generator_Name containing 'META$')\n"
    "order by RDB$Generator_Name";

inline const std::string kPKGens =
    "select * from R$PKGens\n"
    "order by GeneratorName";

inline const std::string kWorkingTables =
    "select * from R$WorkingTables\n"
    "order by Name";

inline const std::string kClone =
    "select * from R$CLONE\n"
    "order by Name";

inline const std::string kSynchro =
    "select * from R$SYNCHRO\n"
    "order by SynchroNumber";

// The exchange log, newest first.
inline const std::string kExchangeLog =
    "select MOMENT, ACTION, OUTCOME, PEER, FILLNUMBER, COUNTS, MESSAGE, OSUSER, DBUSER\n"
    "from R$EXCHANGELOG\n"
    "order by MOMENT desc";

inline const std::string kTableOrder = "select TableName from R$TableOrder order by Number";

inline const std::string kSTables =
    "select distinct RDB$Relation_Name\n"
    "from RDB$Relations\n"
    "where RDB$SYSTEM_FLAG <> 1 and RDB$Relation_Name not in (\n"
    "select RDB$View_Name from RDB$View_Relations)\n"
    "order by RDB$Relation_Name";

// Value of one generator for the generator list's "Value" column, the name
// written as the database's dialect needs it. Two blanks between ")" and "from".
inline std::string genValue(const std::string& generatorName) {
    return "select distinct gen_id(" + generatorName + ", 0) " + " from rdb$relations";
}

}  // namespace quorvel::catalog
