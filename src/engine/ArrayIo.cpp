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

bool failed(const ISC_STATUS* st) { return st[0] == 1 && st[1] != 0; }

// Legacy handles of the attachment and a transaction: the array calls have
// no counterpart in the object interface that builds the slice description.
void handles(DatabaseImpl& db, Tx& tx, isc_db_handle& dbh, isc_tr_handle& trh) {
    ISC_STATUS_ARRAY st{};
    dbh = 0;
    trh = 0;
    fb_get_database_handle(st, &dbh, db.att);
    if (!failed(st)) fb_get_transaction_handle(st, &trh, tx.tra);
    if (failed(st)) throw DbError(legacyError(st));
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
    ISC_STATUS_ARRAY st{};
    isc_array_lookup_bounds(st, &dbh, &trh, c.relation.c_str(), c.origin.c_str(), &shape->desc);
    if (failed(st)) throw DbError(legacyError(st));
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
    ISC_STATUS_ARRAY st{};
    isc_array_get_slice(st, &dbh, &trh, &copy, &desc, out.data(), &len);
    if (failed(st)) throw DbError(legacyError(st));
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
    ISC_STATUS_ARRAY st{};
    isc_array_put_slice(st, &dbh, &trh, &id, &desc, buf.data(), &len);
    if (failed(st)) throw DbError(legacyError(st));
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
