#include "MasterFixture.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "ddl/Operations.h"
#include "support/ToolObjects.h"

namespace quorvel::test {

namespace {

std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return "cannot run " + command;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    *status = pclose(p);
    return out;
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    size_t start = s.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : s.substr(start);
}

// A catalogue name as a statement must write it.
std::string sqlName(const std::string& name) {
    if (name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_$") == std::string::npos) return name;
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string literal(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string armingScript(const std::vector<std::string>& workingTables, int dialect) {
    std::string s = localObjectsScript(replica::kLocalVersion, replica::TriggerGeneration::None, dialect) +
                    "INSERT INTO R$CLONE VALUES ('MASTER', 0, 0, 2000000000, 'Y');\n";
    for (const std::string& t : workingTables) {
        s += "ALTER TABLE " + sqlName(t) + " ADD R$Code1 INTEGER;\n";
        s += "ALTER TABLE " + sqlName(t) + " ADD R$Code2 INTEGER;\n";
        s += "INSERT INTO R$WORKINGTABLES VALUES (" + literal(t) + ");\n";
    }
    return s + "COMMIT;\n";
}

void extractMetadata(const std::string& database, const std::string& file) {
    int status = 0;
    std::string out = run("isql-fb -x -user SYSDBA -o '" + file + "' '" + database + "'", &status);
    if (status != 0) ADD_FAILURE() << "isql-fb -x failed on " << database << ":\n" << out;
}

std::string runScriptFile(const std::string& database, const std::string& file) {
    int status = 0;
    std::string out = run("isql-fb -q -user SYSDBA -i '" + file + "' '" + database + "'", &status);
    if (status != 0 && out.empty()) out = "isql-fb ended with status " + std::to_string(status);
    return out;
}

std::vector<std::string> describeTables(const std::string& database) {
    std::string out = Workspace::isqlOutput(
        database,
        "SET HEADING OFF;\n"
        "SELECT '|' || TRIM(RF.RDB$RELATION_NAME) || '|' || TRIM(RF.RDB$FIELD_NAME) || ' ' ||"
        " F.RDB$FIELD_TYPE || ' ' || F.RDB$FIELD_LENGTH || ' ' || COALESCE(F.RDB$FIELD_SCALE, 0) || ' ' ||"
        " COALESCE(F.RDB$FIELD_SUB_TYPE, 0) || ' ' || COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0)"
        " FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
        " JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME"
        " WHERE COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0 AND R.RDB$VIEW_BLR IS NULL"
        " ORDER BY RF.RDB$RELATION_NAME, RF.RDB$FIELD_POSITION;\n");
    std::vector<std::string> tables;
    std::string current;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (line.size() < 2 || line[0] != '|') continue;
        size_t bar = line.find('|', 1);
        std::string table = line.substr(1, bar - 1);
        if (table != current) {
            tables.push_back(table + ":");
            current = table;
        }
        tables.back() += " " + line.substr(bar + 1) + ";";
    }
    return tables;
}

std::vector<std::string> tableOrder(const std::string& database) {
    std::string out = Workspace::isqlOutput(
        database, "SET HEADING OFF;\nSELECT '|' || TRIM(TABLENAME) FROM R$TABLEORDER ORDER BY NUMBER;\n");
    std::vector<std::string> names;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        line = trimmed(line);
        if (!line.empty() && line[0] == '|') names.push_back(line.substr(1));
    }
    return names;
}

std::string MasterFixture::prepareMaster(const std::string& schema,
                                         const std::vector<std::string>& workingTables,
                                         const std::string& afterArming, int dialect) {
    master = ws.createDatabase(
        "MASTER", schema + "\nCOMMIT;\n" + armingScript(workingTables, dialect) + afterArming + "COMMIT;\n", dialect);
    std::string extract = ws.path("master.ddl");
    extractMetadata(master, extract);
    Workspace::connect(dm.UserDB(), "MASTER");
    return extract;
}

void MasterFixture::convert(const std::string& source, const std::string& target) {
    outcome = ddl::ConvertDdl(dm.UserDB(), source, target, ui);
}

}  // namespace quorvel::test
