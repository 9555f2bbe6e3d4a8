#pragma once
// An SQL query on a named database.
//
// Parameters: outside text in single or double quotes, a colon followed by a
// name marks a parameter; "::" sends one colon. A parameter without a value
// fails with "No value for parameter 'NAME'" before the server sees anything.
#include <map>
#include <string>
#include <vector>

#include "DataSet.h"

namespace quorvel::engine {

class Query : public DataSet {
public:
    explicit Query(Database& db);
    ~Query() override;

    // SQL as a list of lines (joined with line breaks when sent).
    void clearSql();
    void addSql(const std::string& text);
    void setSql(const std::string& text);  // clear + add
    std::string sql() const;

    // Parameter values by name (case-insensitive). Values stay until clearParams
    // or a change of SQL.
    void setParam(const std::string& name, const Value& value);
    void clearParams();
    std::vector<std::string> paramNames() const;  // after parsing the SQL

    // Detail link: while open, the parameters take the same-named columns of
    // `master`'s current row, and the query re-runs when that row changes.
    void setMasterSource(DataSet* master);

    // Rows editable and deletable (the query must select from one table).
    void setLive(bool live);
    bool live() const;

    // Rows that are only browsed (a list behind a grid): outside an explicit
    // transaction the query reads in a read-only transaction of its own,
    // which does not hold back the database's oldest active transaction for
    // as long as the list stays open. A live query reads read-write anyway.
    void setBrowseOnly(bool browseOnly);
    bool browseOnly() const;

    void prepare();
    void open() override;  // statement returning rows
    void execSql();        // statement returning no rows
    int rowsAffected() const;

    // The SQL actually sent to the server (markers replaced by '?', "::" by ':').
    std::string serverSql() const;

    // Parses `sql` by the colon rule: returns the server text and the parameter
    // names in order of appearance. Exposed for tests.
    static std::string translateColons(const std::string& sql,
                                       std::vector<std::string>* paramNames);
};

}  // namespace quorvel::engine
