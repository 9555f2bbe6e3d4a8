#pragma once
// Rows of a query as the tests compare them: each row its columns' text
// joined by "|", "<null>" for NULL.
#include <string>
#include <vector>

#include "engine/Database.h"
#include "engine/Query.h"

namespace quorvel::test {

inline std::vector<std::string> rowsOf(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    std::vector<std::string> rows;
    for (q.first(); !q.eof(); q.next()) {
        std::string row;
        for (int i = 0; i < q.fieldCount(); ++i) {
            if (i) row += "|";
            row += q.field(i).isNull() ? "<null>" : q.field(i).asString();
        }
        rows.push_back(row);
    }
    q.close();
    return rows;
}

}  // namespace quorvel::test
