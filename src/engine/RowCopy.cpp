#include "RowCopy.h"

#include <ibase.h>

#include <cstring>

#include "Catalog.h"
#include "DataSetImpl.h"
#include "Error.h"
#include "InterruptWatch.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

struct RowCopy::Param {
    const Column* from;  // in the source's row buffer
    bool blob;
    unsigned offset, nullOffset;  // in the statement's message
};

struct RowCopy::Impl {
    DataSetImpl& source;
    DataSetImpl& target;
    IStatement* stmt = nullptr;
    IMessageMetadata* meta = nullptr;
    std::vector<unsigned char> buf;
    std::vector<Param> params;
    bool countsRows = true;  // an insert writes its one row or fails

    Impl(DataSetImpl& s, DataSetImpl& t) : source(s), target(t) {}
    ~Impl() {
        freeStatement(stmt);
        releaseRef(meta);
    }
};

namespace {

// Whether the source's bytes can go into the target column as they are.
bool sameLayout(const Column& from, const Column& to) {
    if (from.sqlType == SQL_ARRAY || to.sqlType == SQL_ARRAY) return false;
    if (from.sqlType == SQL_BLOB || to.sqlType == SQL_BLOB) return from.sqlType == to.sqlType;
    return from.sqlType == to.sqlType && from.length == to.length && from.scale == to.scale &&
           from.charSet == to.charSet;
}

const Column& columnOf(const Field& f) { return f.owner().impl().cols.at(f.index()); }

}  // namespace

RowCopy::RowCopy(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RowCopy::~RowCopy() = default;

std::unique_ptr<RowCopy> RowCopy::build(Table& target, const std::string& sql, const std::vector<Pair>& params) {
    if (params.empty()) return nullptr;
    DataSet& source = params.front().first->owner();
    for (const auto& [from, to] : params) {
        if (&from->owner() != &source || &to->owner() != &target) return nullptr;
        if (from->type() == FieldType::Calculated || to->type() == FieldType::Calculated) return nullptr;
        if (!sameLayout(columnOf(*from), columnOf(*to))) return nullptr;
    }
    auto impl = std::make_unique<Impl>(source.impl(), target.impl());
    DatabaseImpl& db = impl->target.dbi();
    TxRef tx = db.acquire();
    impl->stmt = db.prepare(sql, *tx);
    Status& st = db.st;
    MessageBuilder b(st, static_cast<unsigned>(params.size()));
    for (unsigned i = 0; i < params.size(); ++i) {
        const Column& c = columnOf(*params[i].first);
        b.set(i, c.sqlType | 1, c.subType, c.length, c.scale, static_cast<int>(c.charSet));
    }
    impl->meta = b.finish();
    impl->buf.assign(impl->meta->getMessageLength(&st), 0);
    for (unsigned i = 0; i < params.size(); ++i) {
        const Column& c = columnOf(*params[i].first);
        impl->params.push_back(
            {&c, c.sqlType == SQL_BLOB, impl->meta->getOffset(&st, i), impl->meta->getNullOffset(&st, i)});
    }
    return std::unique_ptr<RowCopy>(new RowCopy(std::move(impl)));
}

namespace {

// A table's or column's name as the target's dialect writes it.
std::string tableOf(Table& target) {
    return target.database().identifier(catalogueName(target.database(), target.tableName()));
}
std::string columnName(Table& target, const Field& f) { return target.database().identifier(columnOf(f).origin); }

}  // namespace

std::unique_ptr<RowCopy> RowCopy::insertInto(Table& target, const std::vector<Pair>& pairs) {
    std::string names, marks;
    for (const auto& p : pairs) {
        names += (names.empty() ? "" : ", ") + columnName(target, *p.second);
        marks += marks.empty() ? "?" : ", ?";
    }
    auto copy =
        build(target, "insert into " + tableOf(target) + " (" + names + ") values (" + marks + ")", pairs);
    if (copy) copy->impl_->countsRows = false;
    return copy;
}

std::unique_ptr<RowCopy> RowCopy::updateOf(Table& target, const std::vector<Pair>& pairs,
                                           const std::vector<Pair>& key) {
    if (key.empty()) return nullptr;
    std::string set, where;
    for (const auto& p : pairs) set += (set.empty() ? "" : ", ") + columnName(target, *p.second) + " = ?";
    for (const auto& k : key) where += (where.empty() ? " where " : " and ") + columnName(target, *k.second) + " = ?";
    std::vector<Pair> params = pairs;
    params.insert(params.end(), key.begin(), key.end());
    return build(target, "update " + tableOf(target) + " set " + set + where, params);
}

int64_t RowCopy::run() {
    Impl& m = *impl_;
    const Row* row = m.source.readRow();
    if (!row) throw DbError("No current row to copy");
    DatabaseImpl& db = m.target.dbi();
    TxRef tx = db.acquire();
    const unsigned char* data = row->data.data();
    unsigned char* out = m.buf.data();
    for (const Param& p : m.params) {
        short* nullFlag = reinterpret_cast<short*>(out + p.nullOffset);
        if (isNullIn(*p.from, data)) {
            *nullFlag = -1;
            continue;
        }
        *nullFlag = 0;
        if (p.blob) {
            // A BLOB lives in its own database: its contents go into a new
            // one of the target's, in the transaction that writes the row.
            const ISC_QUAD id = copyBlob(m.source.dbi(), m.source.blobTx(),
                                         *reinterpret_cast<const ISC_QUAD*>(data + p.from->offset), db, *tx);
            std::memcpy(out + p.offset, &id, sizeof id);
            continue;
        }
        size_t n = p.from->length;
        if (p.from->sqlType == SQL_VARYING) n = 2 + *reinterpret_cast<const unsigned short*>(data + p.from->offset);
        std::memcpy(out + p.offset, data + p.from->offset, n);
    }
    throwIfCancelled();
    m.stmt->execute(&db.st, tx->tra, m.meta, out, nullptr, nullptr);
    return m.countsRows ? static_cast<int64_t>(m.stmt->getAffectedRecords(&db.st)) : 1;
}

}  // namespace quorvel::engine
