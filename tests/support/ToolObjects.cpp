#include "support/ToolObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/Database.h"
#include "engine/Transaction.h"
#include "replica/Catalogue.h"
#include "replica/Statements.h"

namespace quorvel::test {

namespace {

namespace catalogue = replica::catalogue;

// The catalogue's texts are written for the engine's parameter parser, which
// reads "::" as one colon; isql gets them with one.
std::string singleColons(std::string s) {
    for (std::string::size_type p = 0; (p = s.find("::", p)) != std::string::npos;) s.erase(p, 1);
    return s;
}

std::string script(const std::vector<catalogue::Object>& objects, int version, int dialect) {
    std::string out;
    for (const catalogue::Object& o : objects) {
        if (!o.currentAt(version)) continue;
        const std::string statement = singleColons(catalogue::createStatement(o, version, dialect));
        if (o.kind == catalogue::Object::Kind::Procedure)
            out += "SET TERM ^ ;\n" + statement + "^\nSET TERM ; ^\n";
        else
            out += statement + ";\n";
    }
    return out + "COMMIT;\n";
}

}  // namespace

std::string localObjectsScript(int version, replica::TriggerGeneration triggers, int dialect) {
    std::string out = script(catalogue::localObjects(), version, dialect);
    if (version >= 4)
        out += "insert into R$SCHEMA (VERSION, TRIGGERS) values (" + std::to_string(version) + ", " +
               std::to_string(static_cast<int>(triggers)) + ");\nCOMMIT;\n";
    return out;
}

std::string synchroObjectsScript(int format) { return script(catalogue::synchroObjects(), format, 1); }

std::string toolTableScript(const std::string& name, bool synchro, int version) {
    if (version == 0) version = synchro ? replica::kSynchroFormat : replica::kLocalVersion;
    for (const catalogue::Object& o : synchro ? catalogue::synchroObjects() : catalogue::localObjects())
        if (o.name == name && o.kind == catalogue::Object::Kind::Table)
            return catalogue::createStatement(o, version, 1) + ";\n";
    ADD_FAILURE() << "no table " << name << " in the catalogue";
    return {};
}

std::string toolCatalogue(engine::Database& db) {
    engine::Transaction tx(db);
    std::vector<std::string> lines;
    const char* const queries[] = {
        // Columns by name within their table: an upgrade appends, so only
        // the positions of the columns each version brought may differ.
        "select 'field ' || trim(RF.RDB$Relation_Name) || '.' || trim(RF.RDB$Field_Name) || ' ' || F.RDB$Field_Type"
        " || '/' || coalesce(F.RDB$Field_Length, 0) || '/' || coalesce(F.RDB$Field_Scale, 0) || '/' ||"
        " coalesce(F.RDB$Field_Sub_Type, 0) || ' pos ' || RF.RDB$Field_Position || ' notnull ' ||"
        " coalesce(RF.RDB$Null_Flag, 0) from RDB$Relation_Fields RF join RDB$Fields F on F.RDB$Field_Name ="
        " RF.RDB$Field_Source where RF.RDB$Relation_Name starting with 'R$'",
        "select 'key ' || trim(C.RDB$Relation_Name) || ' ' || trim(C.RDB$Constraint_Type) || ' ' ||"
        " trim(S.RDB$Field_Name) || ' ' || S.RDB$Field_Position from RDB$Relation_Constraints C join"
        " RDB$Index_Segments S on S.RDB$Index_Name = C.RDB$Index_Name where C.RDB$Relation_Name starting with 'R$'",
        "select 'index ' || trim(I.RDB$Index_Name) || ' on ' || trim(I.RDB$Relation_Name) || ' ' ||"
        " trim(S.RDB$Field_Name) || ' ' || S.RDB$Field_Position || ' unique ' || coalesce(I.RDB$Unique_Flag, 0)"
        " from RDB$Indices I join RDB$Index_Segments S on S.RDB$Index_Name = I.RDB$Index_Name"
        " where I.RDB$Index_Name starting with 'R$'",
        "select 'procedure ' || trim(RDB$Procedure_Name) from RDB$Procedures where RDB$Procedure_Name starting with 'R$'",
        "select 'parameter ' || trim(RDB$Procedure_Name) || '.' || trim(RDB$Parameter_Name) || ' ' ||"
        " RDB$Parameter_Type || ' ' || RDB$Parameter_Number from RDB$Procedure_Parameters"
        " where RDB$Procedure_Name starting with 'R$'",
        "select 'grant ' || trim(RDB$User) || ' ' || trim(RDB$Privilege) || ' ' || trim(RDB$Relation_Name)"
        " from RDB$User_Privileges where RDB$Relation_Name starting with 'R$' and RDB$User = 'PUBLIC'",
        // The body as the server keeps it: a revised procedure must be altered.
        "select 'source ' || trim(RDB$Procedure_Name) || ' ' || hash(RDB$Procedure_Source) from RDB$Procedures"
        " where RDB$Procedure_Name starting with 'R$'",
        "select 'exception ' || trim(RDB$Exception_Name) from RDB$Exceptions where RDB$Exception_Name starting with 'R$'",
        "select 'generator ' || trim(RDB$Generator_Name) from RDB$Generators"
        " where RDB$Generator_Name starting with 'R$'",
        "select 'trigger ' || trim(RDB$Trigger_Name) || ' on ' || trim(RDB$Relation_Name) || ' ' ||"
        " RDB$Trigger_Type from RDB$Triggers where RDB$Trigger_Name starting with 'R$'",
    };
    for (const char* sql : queries)
        for (std::string& line : replica::firstColumn(db, sql)) lines.push_back(std::move(line));
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

}  // namespace quorvel::test
