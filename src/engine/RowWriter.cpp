#include "RowWriter.h"

#include <ibase.h>

#include <cstring>

#include "ArrayIo.h"
#include "InterruptWatch.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

RowWriter::RowWriter(DataSetImpl& ds, std::string table, std::vector<int> writable, std::vector<int> key, int dbKey)
    : ds_(ds), table_(std::move(table)), writable_(std::move(writable)), key_(std::move(key)), dbKey_(dbKey) {}

RowWriter::~RowWriter() {
    release(ins_);
    release(upd_);
    release(del_);
    release(updByDbKey_);
    release(delByDbKey_);
}

void RowWriter::release(Stmt& s) noexcept {
    freeStatement(s.stmt);
    releaseRef(s.meta);
    s.buf.clear();
    s.params.clear();
}

bool RowWriter::useDbKey(Tx& tx, const Row& old) const {
    if (dbKey_ < 0) return false;
    if (key_.empty()) return true;
    return old.txSerial == tx.serial && !isNullIn(ds_.cols[dbKey_], old.data.data());
}

std::string RowWriter::whereClause(bool byDbKey) const {
    if (byDbKey) return " where RDB$DB_KEY = ?";
    std::string w;
    for (int k : key_) w += (w.empty() ? " where " : " and ") + ds_.db.identifier(ds_.cols[k].origin) + " = ?";
    return w;
}

std::vector<std::pair<int, bool>> RowWriter::keyParams(bool byDbKey) const {
    std::vector<std::pair<int, bool>> p;
    if (byDbKey) p.push_back({dbKey_, true});
    else
        for (int k : key_) p.push_back({k, true});
    return p;
}

// Prepares `sql` and describes its parameters exactly like the data set's
// columns, so values move between the buffers by plain copies. `s` takes
// the statement only once it is complete: a statement whose description
// failed half-way is freed, not kept to be run with a missing one.
void RowWriter::build(Stmt& s, const std::string& sql, const std::vector<std::pair<int, bool>>& params, Tx& tx) {
    auto& db = ds_.dbi();
    auto& st = db.st;
    Stmt built;
    try {
        built.stmt = db.prepare(sql, tx);
        MessageBuilder b(st, static_cast<unsigned>(params.size()));
        for (unsigned i = 0; i < params.size(); ++i) {
            const Column& c = ds_.cols[params[i].first];
            b.set(i, c.sqlType | 1, c.subType, c.length, c.scale, static_cast<int>(c.charSet));
        }
        built.meta = b.finish();
        built.buf.assign(built.meta->getMessageLength(&st), 0);
        for (unsigned i = 0; i < params.size(); ++i) {
            unsigned off = built.meta->getOffset(&st, i);
            unsigned noff = built.meta->getNullOffset(&st, i);
            built.params.push_back({params[i].first, params[i].second, off, noff});
        }
    } catch (...) {
        release(built);
        throw;
    }
    release(s);
    s = std::move(built);
}

void RowWriter::fill(Stmt& s, Tx& tx, const Row* old, Row* edit, std::vector<std::optional<std::string>>* blobs) {
    unsigned char* out = s.buf.data();
    for (const Param& p : s.params) {
        const Column& c = ds_.cols[p.col];
        const Row* from = p.old ? old : edit;
        short* nullFlag = reinterpret_cast<short*>(out + p.nullOffset);
        if (!p.old && blobs && (c.sqlType == SQL_BLOB || c.sqlType == SQL_ARRAY) && (*blobs)[p.col]) {
            // New BLOB and array contents are created in the transaction that
            // writes the row.
            ISC_QUAD id = c.sqlType == SQL_BLOB ? writeWholeBlob(ds_.dbi(), tx, *(*blobs)[p.col])
                                                : writeWholeArray(ds_, p.col, tx, *(*blobs)[p.col]);
            std::memcpy(edit->data.data() + c.offset, &id, sizeof id);
            setNullIn(c, edit->data.data(), false);
            std::memcpy(out + p.offset, &id, sizeof id);
            *nullFlag = 0;
            continue;
        }
        const unsigned char* data = from->data.data();
        if (isNullIn(c, data)) {
            *nullFlag = -1;
            continue;
        }
        *nullFlag = 0;
        size_t n = c.length;
        if (c.sqlType == SQL_VARYING) n = 2 + *reinterpret_cast<const unsigned short*>(data + c.offset);
        std::memcpy(out + p.offset, data + c.offset, n);
    }
}

void RowWriter::run(Stmt& s, Tx& tx, bool mustHit) {
    auto& st = ds_.dbi().st;
    throwIfCancelled();
    s.stmt->execute(&st, tx.tra, s.meta, s.buf.data(), nullptr, nullptr);
    if (mustHit) {
        if (s.stmt->getAffectedRecords(&st) == 0) throw DbError("Record not found or changed by another user");
    }
}

void RowWriter::insert(Tx& tx, Row& edit, std::vector<std::optional<std::string>>& blobs) {
    if (!ins_.stmt) {
        std::string names, marks;
        std::vector<std::pair<int, bool>> params;
        for (int c : writable_) {
            names += (names.empty() ? "" : ", ") + ds_.db.identifier(ds_.cols[c].origin);
            marks += marks.empty() ? "?" : ", ?";
            params.push_back({c, false});
        }
        build(ins_, "insert into " + ds_.db.identifier(table_) + " (" + names + ") values (" + marks + ")", params, tx);
    }
    fill(ins_, tx, nullptr, &edit, &blobs);
    run(ins_, tx, false);
}

void RowWriter::update(Tx& tx, const Row& old, Row& edit, std::vector<std::optional<std::string>>& blobs) {
    if (!identifiesRows()) throw DbError("Cannot update " + table_ + ": its rows have no key");
    bool byDbKey = useDbKey(tx, old);
    Stmt& s = byDbKey ? updByDbKey_ : upd_;
    if (!s.stmt) {
        std::string set;
        std::vector<std::pair<int, bool>> params;
        for (int c : writable_) {
            set += (set.empty() ? "" : ", ") + ds_.db.identifier(ds_.cols[c].origin) + " = ?";
            params.push_back({c, false});
        }
        for (auto& k : keyParams(byDbKey)) params.push_back(k);
        build(s, "update " + ds_.db.identifier(table_) + " set " + set + whereClause(byDbKey), params, tx);
    }
    fill(s, tx, &old, &edit, &blobs);
    run(s, tx, true);
}

void RowWriter::remove(Tx& tx, const Row& old) {
    if (!identifiesRows()) throw DbError("Cannot delete from " + table_ + ": its rows have no key");
    bool byDbKey = useDbKey(tx, old);
    Stmt& s = byDbKey ? delByDbKey_ : del_;
    if (!s.stmt) build(s, "delete from " + ds_.db.identifier(table_) + whereClause(byDbKey), keyParams(byDbKey), tx);
    fill(s, tx, &old, nullptr, nullptr);
    run(s, tx, true);
}

}  // namespace quorvel::engine
