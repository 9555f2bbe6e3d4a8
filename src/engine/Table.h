#pragma once
// A table opened by name. Opening reads its columns and primary key; rows are
// fetched in primary-key order only when navigated or shown. Appends, edits
// and locates use statements prepared once per opening.
#include <string>
#include <vector>

#include "DataSet.h"

namespace quorvel::engine {

class Table : public DataSet {
public:
    explicit Table(Database& db);
    ~Table() override;

    void setTableName(const std::string& name);
    const std::string& tableName() const { return tableName_; }

    void open() override;

    // Field names of the primary key, in key order, joined by ";" ("" if none).
    // Re-reads the index definitions from the catalogue.
    std::string primaryKeyFields();

    // Finds the row whose fields `keyFields` (names joined by ";") equal the
    // values exactly, through the key's index; makes it current. One value for
    // a one-field key, one value per field otherwise.
    bool locate(const std::string& keyFields, const std::vector<Value>& values);
    bool locate(const std::string& keyFields, const Value& value);

private:
    std::string tableName_;
};

}  // namespace quorvel::engine
