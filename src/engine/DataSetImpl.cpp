// The inner machinery of data sets: column layout, the cursor and its
// bounded row cache, the current row, BLOB reading, opening and closing.
#include "DataSetImpl.h"

#include <ibase.h>

#include <algorithm>

#include "Database.h"
#include "InterruptWatch.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

// ---------------------------------------------------------------- layout

FieldType fieldTypeOf(const Column& c) {
    switch (c.sqlType) {
        case SQL_SHORT: return c.scale < 0 ? FieldType::Numeric : FieldType::SmallInt;
        case SQL_LONG: return c.scale < 0 ? FieldType::Numeric : FieldType::Integer;
        case SQL_INT64: return c.scale < 0 ? FieldType::Numeric : FieldType::BigInt;
        case SQL_FLOAT: return FieldType::Float;
        case SQL_DOUBLE:
        case SQL_D_FLOAT: return c.scale < 0 ? FieldType::Numeric : FieldType::Double;
        case SQL_TEXT: return FieldType::Char;
        case SQL_VARYING: return FieldType::VarChar;
        case SQL_TYPE_DATE: return FieldType::Date;
        case SQL_TYPE_TIME: return FieldType::Time;
        case SQL_TIMESTAMP: return FieldType::Timestamp;
        case SQL_BLOB: return FieldType::Blob;
        case SQL_ARRAY: return FieldType::Array;
        case SQL_BOOLEAN: return FieldType::Boolean;
        default: return FieldType::Unknown;
    }
}

std::vector<Column> describe(IMessageMetadata* m, Status& st) {
    std::vector<Column> out;
    unsigned n = m->getCount(&st);
    out.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        Column c;
        const char* alias = m->getAlias(&st, i);
        c.name = alias ? alias : "";
        const char* rel = m->getRelation(&st, i);
        c.relation = rel ? rel : "";
        const char* f = m->getField(&st, i);
        c.origin = f ? f : "";
        c.sqlType = m->getType(&st, i) & ~1u;
        c.subType = m->getSubType(&st, i);
        c.length = m->getLength(&st, i);
        c.scale = m->getScale(&st, i);
        c.charSet = m->getCharSet(&st, i);
        c.offset = m->getOffset(&st, i);
        c.nullOffset = m->getNullOffset(&st, i);
        if (c.name.empty()) c.name = c.origin;
        c.type = fieldTypeOf(c);
        out.push_back(std::move(c));
    }
    return out;
}

void DataSetImpl::setLayout(IMessageMetadata* m, int visible) {
    clearLayout();
    m->addRef();
    meta = m;
    cols = describe(m, dbi().st);
    msgLength = m->getMessageLength(&dbi().st);
    visibleCols = visible < 0 ? static_cast<int>(cols.size()) : visible;
}

// Field objects survive closing and reopening with the same columns, so
// pointers and display properties held by grids stay valid.
void DataSetImpl::buildFields(const std::vector<bool>& computed) {
    std::vector<std::unique_ptr<Field>> old = std::move(fields);
    fields.clear();
    auto reuse = [&](int i, const std::string& name, FieldType type, int len, int scale, int sub) {
        if (i < static_cast<int>(old.size()) && old[i]) {
            Field& f = *old[i];
            if (f.name() == name && f.type() == type && f.length() == len && f.scale() == scale &&
                f.subType() == sub)
                return std::move(old[i]);
        }
        return std::make_unique<Field>(self, i, name, type, len, scale, sub);
    };
    for (int i = 0; i < visibleCols; ++i) {
        const Column& c = cols[i];
        auto f = reuse(i, c.name, c.type, static_cast<int>(c.length), c.scale, c.subType);
        f->setComputed(i < static_cast<int>(computed.size()) && computed[i]);
        fields.push_back(std::move(f));
    }
    for (size_t k = 0; k < calcDefs.size(); ++k)
        fields.push_back(reuse(visibleCols + static_cast<int>(k), calcDefs[k].name, FieldType::Calculated, 0, 0, 0));
}

void DataSetImpl::clearLayout() noexcept {
    cols.clear();
    visibleCols = 0;
    msgLength = 0;
    releaseRef(meta);
}

// ---------------------------------------------------------------- cursor

RowPtr DataSetImpl::newRow() {
    RowPtr r;
    if (!spare.empty()) {
        r = std::move(spare.back());
        spare.pop_back();
    } else {
        r = std::make_shared<Row>();
    }
    r->data.resize(msgLength);
    r->calc.assign(calcDefs.size(), Value{});
    r->txSerial = 0;
    return r;
}

void DataSetImpl::recycle(RowPtr&& r) {
    if (r && r.use_count() == 1 && spare.size() < 64) spare.push_back(std::move(r));
    r.reset();
}

void DataSetImpl::evict() {
    size_t limit = unidirectional ? 0 : cacheLimit;
    while (window.size() > 1 && windowBytes > limit) {
        windowBytes -= window.front()->bytes();
        recycle(std::move(window.front()));
        window.pop_front();
        ++windowFirst;
    }
}

void DataSetImpl::startCursor(TxRef tx) {
    if (cursorStarted) return;
    if (!source) throw DbError("Data set " + self.name() + " has no statement");
    if (!tx) tx = source->readingTx(dbi());
    rs = source->openCursor(*tx);
    readTx = tx;
    cursorStarted = true;
    cursorEof = false;
    window.clear();
    windowBytes = 0;
    windowFirst = 0;
}

void DataSetImpl::computeCalc(const RowPtr& r, int row) {
    if (calcDefs.empty()) return;
    // While the handlers run, the fields read this row; a handler that makes
    // this data set fetch another row gets the outer row back afterwards.
    struct Restore {
        DataSetImpl& d;
        RowPtr row;
        int index;
        ~Restore() {
            d.computing = std::move(row);
            d.computingRow = index;
        }
    } restore{*this, std::move(computing), computingRow};
    computing = r;
    computingRow = row;
    for (size_t k = 0; k < calcDefs.size(); ++k) r->calc[k] = calcDefs[k].handler(self, row);
}

bool DataSetImpl::fetchOne() {
    if (!cursorStarted) startCursor();
    RowPtr r;
    if (uncomputed) {
        // Its calculated fields failed last time: they are tried again.
        r = std::move(uncomputed);
    } else {
        if (cursorEof || !rs) return false;
        // A long walk over rows stops at a signal even between two fetches,
        // when there was no running statement to cancel.
        throwIfInterrupted();
        r = newRow();
        auto& st = dbi().st;
        int res = rs->fetchNext(&st, r->data.data());
        if (res != IStatus::RESULT_OK) {
            cursorEof = true;
            recycle(std::move(r));
            // The result set is finished; statement and transaction stay for blobs.
            closeResultSet(rs);
            return false;
        }
        r->txSerial = readTx ? readTx->serial : 0;
    }
    int idx = windowFirst + static_cast<int>(window.size());
    try {
        computeCalc(r, idx);
    } catch (...) {
        uncomputed = std::move(r);
        throw;
    }
    window.push_back(r);
    windowBytes += r->bytes();
    if (idx >= known) known = idx + 1;
    evict();
    return true;
}

void DataSetImpl::resetCursor() noexcept {
    closeResultSet(rs);
    uncomputed.reset();
    for (auto& r : window) recycle(std::move(r));
    window.clear();
    windowBytes = 0;
    windowFirst = 0;
    cursorStarted = false;
    cursorEof = false;
}

// Rows before the window were dropped: run the statement again and walk to
// `row`, keeping as many rows after it as before it.
void DataSetImpl::refetch(int row) {
    bool reset = rowsShifted;
    TxRef tx = readTx ? readTx : source->readingTx(dbi());
    closeResultSet(rs);
    uncomputed.reset();
    for (auto& r : window) recycle(std::move(r));
    window.clear();
    windowBytes = 0;
    windowFirst = 0;
    cursorEof = false;
    rs = source->openCursor(*tx);
    readTx = tx;
    cursorStarted = true;
    if (reset) {
        // Local inserts or removals shifted the numbering: start over.
        rowsShifted = false;
        known = 0;
        notify([&](DataSetListener& l) { l.dataSetOpened(self); });
    }
    int before = known;
    while (windowFirst + static_cast<int>(window.size()) <= row)
        if (!fetchOne()) break;
    while (!cursorEof && windowFirst + static_cast<int>(window.size()) < before &&
           (windowFirst + static_cast<int>(window.size()) - row) < (row - windowFirst))
        if (!fetchOne()) break;
}

bool DataSetImpl::ensureRow(int row) {
    if (row < 0) return false;
    if (!cursorStarted) startCursor();
    if (row >= windowFirst && row < windowFirst + static_cast<int>(window.size())) return true;
    if (row < windowFirst) {
        refetch(row);
    } else {
        int before = known;
        while (windowFirst + static_cast<int>(window.size()) <= row)
            if (!fetchOne()) break;
        if (known > before)
            notify([&](DataSetListener& l) { l.rowsFetched(self, before, known - before); });
    }
    return row >= windowFirst && row < windowFirst + static_cast<int>(window.size());
}

const Row* DataSetImpl::rowAt(int row) {
    if (computing && row == computingRow) return computing.get();
    if (!ensureRow(row)) return nullptr;
    return window[row - windowFirst].get();
}

void DataSetImpl::fetchAll() {
    if (!cursorStarted) startCursor();
    int before = known;
    while (fetchOne()) {
    }
    if (known > before) notify([&](DataSetListener& l) { l.rowsFetched(self, before, known - before); });
}

void DataSetImpl::resolvePending() {
    if (!pendingFirst) return;
    pendingFirst = false;
    if (ensureRow(0)) {
        setCurrent(0);
        eof = false;
        bof = true;
    } else {
        cur = -1;
        curRow.reset();
        eof = bof = true;
    }
}

// ---------------------------------------------------------------- current row

void DataSetImpl::setCurrent(int row) {
    cur = row;
    curRow = window[row - windowFirst];
    detached = false;
}

void DataSetImpl::setDetached(RowPtr r) {
    pendingFirst = false;
    cur = -1;
    curRow = std::move(r);
    detached = true;
    eof = bof = false;
}

const Row* DataSetImpl::readRow() const {
    if (!active) return nullptr;
    if (state == DataSetState::Edit || state == DataSetState::Insert) return &edit;
    if (pendingFirst) const_cast<DataSetImpl*>(this)->resolvePending();
    return curRow.get();
}

void DataSetImpl::requireActive() const {
    if (!active) throw DbError(self.name().empty() ? "Cannot perform this operation on a closed dataset"
                                                   : self.name() + ": Cannot perform this operation on a closed dataset");
}

void DataSetImpl::requireEditing() const {
    if (state != DataSetState::Edit && state != DataSetState::Insert)
        throw DbError((self.name().empty() ? std::string() : self.name() + ": ") + "Dataset not in edit or insert mode");
}

// ---------------------------------------------------------------- blobs

Tx& DataSetImpl::blobTx() {
    if (readTx && readTx->tra) return *readTx;
    if (dbi().explicitTx) return *dbi().explicitTx;
    if (!blobTxRef || !blobTxRef->tra) blobTxRef = dbi().start(true);
    return *blobTxRef;
}

std::string DataSetImpl::readBlob(const ISC_QUAD& id) {
    return readWholeBlob(dbi(), blobTx(), id);
}

// ---------------------------------------------------------------- open/close

void DataSetImpl::finishOpen(bool startNow) {
    active = true;
    state = DataSetState::Browse;
    known = 0;
    rowsShifted = false;
    cur = -1;
    curRow.reset();
    detached = false;
    eof = bof = true;
    pendingFirst = !startNow;
    if (startNow) {
        startCursor();
        if (ensureRow(0)) {
            setCurrent(0);
            eof = false;
            bof = true;
        }
    }
}

void DataSetImpl::closeAll() noexcept {
    state = DataSetState::Inactive;
    active = false;
    closeResultSet(rs);
    uncomputed.reset();
    for (auto& r : window) r.reset();
    window.clear();
    spare.clear();
    windowBytes = 0;
    windowFirst = 0;
    known = 0;
    cursorStarted = false;
    cursorEof = false;
    pendingFirst = false;
    cur = -1;
    curRow.reset();
    detached = false;
    eof = bof = true;
    edit.data.clear();
    edit.calc.clear();
    pendingBlobs.clear();
    arrayShapes.clear();
    if (source) source->closeSource();
    // Last: ending an autocommit transaction may commit.
    readTx.reset();
    blobTxRef.reset();
    clearLayout();
}

}  // namespace quorvel::engine
