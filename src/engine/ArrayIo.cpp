#include "ArrayIo.h"

#include <ibase.h>

#include <cstring>
#include <map>

namespace quorvel::engine {

struct ArrayShape {
    ISC_ARRAY_DESC desc{};
    size_t bytes = 0;
};

namespace {

std::string legacyError(const ISC_STATUS* st) {
    std::string text;
    char buf[1024];
    const ISC_STATUS* p = st;
    while (fb_interpret(buf, sizeof buf, &p)) {
        if (!text.empty()) text += "\n";
        text += buf;
    }
    return text;
}

// Runs a call of the legacy interface with a status vector of its own and
// throws its failure, so that no call goes unchecked: the array calls have no
// counterpart in the object interface that builds the slice description.
template <typename Call>
void legacy(Call call) {
    ISC_STATUS_ARRAY st{};
    call(st);
    if (st[0] == 1 && st[1] != 0) throw fb::errorOf(reinterpret_cast<const intptr_t*>(st), legacyError(st));
}

// Legacy handles of the attachment and a transaction.
void handles(DatabaseImpl& db, Tx& tx, isc_db_handle& dbh, isc_tr_handle& trh) {
    dbh = 0;
    trh = 0;
    legacy([&](ISC_STATUS* st) { fb_get_database_handle(st, &dbh, db.att); });
    legacy([&](ISC_STATUS* st) { fb_get_transaction_handle(st, &trh, tx.tra); });
}

}  // namespace

const ArrayShape& arrayShape(DataSetImpl& ds, int column) {
    auto& cache = ds.arrayShapes;
    auto it = cache.find(column);
    if (it != cache.end()) return *it->second;
    const Column& c = ds.cols[column];
    if (c.relation.empty() || c.origin.empty()) throw DbError("Array column " + c.name + " has no table column");
    Tx& tx = ds.blobTx();
    isc_db_handle dbh;
    isc_tr_handle trh;
    handles(ds.dbi(), tx, dbh, trh);
    auto shape = std::make_shared<ArrayShape>();
    legacy([&](ISC_STATUS* st) {
        isc_array_lookup_bounds(st, &dbh, &trh, c.relation.c_str(), c.origin.c_str(), &shape->desc);
    });
    size_t n = shape->desc.array_desc_length;
    for (int i = 0; i < shape->desc.array_desc_dimensions; ++i)
        n *= static_cast<size_t>(shape->desc.array_desc_bounds[i].array_bound_upper -
                                 shape->desc.array_desc_bounds[i].array_bound_lower + 1);
    shape->bytes = n;
    return *cache.emplace(column, shape).first->second;
}

std::string readWholeArray(DataSetImpl& ds, int column, const ISC_QUAD& id) {
    const ArrayShape& shape = arrayShape(ds, column);
    Tx& tx = ds.blobTx();
    isc_db_handle dbh;
    isc_tr_handle trh;
    handles(ds.dbi(), tx, dbh, trh);
    std::string out(shape.bytes, '\0');
    ISC_QUAD copy = id;
    ISC_LONG len = static_cast<ISC_LONG>(out.size());
    ISC_ARRAY_DESC desc = shape.desc;
    legacy([&](ISC_STATUS* st) { isc_array_get_slice(st, &dbh, &trh, &copy, &desc, out.data(), &len); });
    return out;
}

ISC_QUAD writeWholeArray(DataSetImpl& ds, int column, Tx& tx, const std::string& bytes) {
    const ArrayShape& shape = arrayShape(ds, column);
    isc_db_handle dbh;
    isc_tr_handle trh;
    handles(ds.dbi(), tx, dbh, trh);
    std::string buf = bytes;
    buf.resize(shape.bytes, '\0');
    ISC_QUAD id{};
    ISC_LONG len = static_cast<ISC_LONG>(buf.size());
    ISC_ARRAY_DESC desc = shape.desc;
    legacy([&](ISC_STATUS* st) { isc_array_put_slice(st, &dbh, &trh, &id, &desc, buf.data(), &len); });
    return id;
}

void checkSameArrays(DataSetImpl& from, int fromColumn, DataSetImpl& to, int toColumn) {
    const ISC_ARRAY_DESC& a = arrayShape(from, fromColumn).desc;
    const ISC_ARRAY_DESC& b = arrayShape(to, toColumn).desc;
    bool same = a.array_desc_dtype == b.array_desc_dtype && a.array_desc_length == b.array_desc_length &&
                a.array_desc_scale == b.array_desc_scale && a.array_desc_dimensions == b.array_desc_dimensions;
    for (int i = 0; same && i < a.array_desc_dimensions; ++i)
        same = a.array_desc_bounds[i].array_bound_lower == b.array_desc_bounds[i].array_bound_lower &&
               a.array_desc_bounds[i].array_bound_upper == b.array_desc_bounds[i].array_bound_upper;
    if (!same)
        throw DbError("Cannot assign the array column " + from.cols[fromColumn].name + " to " + to.cols[toColumn].name +
                      ": element types or bounds differ");
}

}  // namespace quorvel::engine
