#include "ArrayColumn.h"

#include <gtest/gtest.h>
#include <ibase.h>

#include <cstring>
#include <memory>

namespace quorvel::test {

namespace {

bool failed(const ISC_STATUS* st, const char* call) {
    if (st[0] != 1 || st[1] == 0) return false;
    std::string text;
    char buf[512];
    const ISC_STATUS* p = st;
    while (fb_interpret(buf, sizeof buf, &p)) text += std::string(buf) + "\n";
    ADD_FAILURE() << call << ": " << text;
    return true;
}

}  // namespace

void putIntegerArray(const std::string& database, const std::string& table, const std::string& column,
                     const std::string& where, const std::vector<int>& values) {
    ISC_STATUS_ARRAY st{};
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    const char dpb[] = {isc_dpb_version1, isc_dpb_user_name, 6, 'S', 'Y', 'S', 'D', 'B', 'A'};
    isc_attach_database(st, 0, database.c_str(), &db, sizeof dpb, dpb);
    if (failed(st, "attach")) return;
    isc_start_transaction(st, &tr, 1, &db, 0, nullptr);
    if (failed(st, "start transaction")) return;

    ISC_ARRAY_DESC desc{};
    isc_array_lookup_bounds(st, &db, &tr, table.c_str(), column.c_str(), &desc);
    if (failed(st, "array bounds")) return;
    ISC_QUAD id{};
    std::vector<int> slice(values);
    ISC_LONG length = static_cast<ISC_LONG>(slice.size() * sizeof(int));
    isc_array_put_slice(st, &db, &tr, &id, &desc, slice.data(), &length);
    if (failed(st, "array put")) return;

    std::unique_ptr<char[]> area(new char[XSQLDA_LENGTH(1)]());
    auto* da = reinterpret_cast<XSQLDA*>(area.get());
    da->version = SQLDA_VERSION1;
    da->sqln = da->sqld = 1;
    short notNull = 0;
    da->sqlvar[0].sqltype = SQL_ARRAY + 1;
    da->sqlvar[0].sqllen = sizeof(ISC_QUAD);
    da->sqlvar[0].sqldata = reinterpret_cast<char*>(&id);
    da->sqlvar[0].sqlind = &notNull;
    const std::string sql = "update " + table + " set " + column + " = ? where " + where;
    isc_dsql_execute_immediate(st, &db, &tr, 0, sql.c_str(), 1, da);
    if (failed(st, "update")) return;
    isc_commit_transaction(st, &tr);
    failed(st, "commit");
    isc_detach_database(st, &db);
}

}  // namespace quorvel::test
