#include "DataSet.h"

#include <ibase.h>

#include <algorithm>

#include "Database.h"
#include "DataSetImpl.h"
#include "RowWriter.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

}  // namespace

// ================================================================ DataSet

DataSet::DataSet(Database& db) : db_(db), impl_(std::make_unique<DataSetImpl>(*this, db)) {
    db.registerDataSet(this);
}

DataSet::~DataSet() {
    impl_->listeners.clear();
    impl_->closeAll();
    if (!impl_->databaseGone) db_.unregisterDataSet(this);
}

void DataSet::close() {
    auto& d = *impl_;
    if (!d.active) {
        d.closeAll();
        return;
    }
    d.closeAll();
    d.notify([&](DataSetListener& l) { l.dataSetClosed(*this); });
}

bool DataSet::active() const { return impl_->active; }
DataSetState DataSet::state() const { return impl_->state; }

void DataSet::first() {
    auto& d = *impl_;
    d.requireActive();
    d.pendingFirst = false;
    int old = d.cur;
    bool wasDetached = d.detached;
    if (d.ensureRow(0)) {
        d.setCurrent(0);
        d.eof = false;
        d.bof = true;
    } else {
        d.cur = -1;
        d.curRow.reset();
        d.eof = d.bof = true;
    }
    if (old != d.cur || wasDetached) d.notifyRowMove();
}

void DataSet::next() {
    auto& d = *impl_;
    d.requireActive();
    if (d.pendingFirst) d.resolvePending();
    if (d.detached) {
        first();
        return;
    }
    if (d.cur < 0) {
        d.eof = true;
        return;
    }
    if (d.ensureRow(d.cur + 1)) {
        d.setCurrent(d.cur + 1);
        d.eof = d.bof = false;
        d.notifyRowMove();
    } else {
        d.eof = true;
        d.bof = false;
    }
}

void DataSet::prior() {
    auto& d = *impl_;
    d.requireActive();
    if (d.pendingFirst) d.resolvePending();
    if (d.detached) {
        first();
        return;
    }
    if (d.cur <= 0) {
        d.bof = true;
        return;
    }
    if (d.ensureRow(d.cur - 1)) {
        d.setCurrent(d.cur - 1);
        d.eof = d.bof = false;
        d.notifyRowMove();
    } else {
        d.bof = true;
    }
}

void DataSet::last() {
    auto& d = *impl_;
    d.requireActive();
    d.pendingFirst = false;
    d.fetchAll();
    int old = d.cur;
    bool wasDetached = d.detached;
    if (d.known > 0 && d.ensureRow(d.known - 1)) {
        d.setCurrent(d.known - 1);
        d.eof = true;
        d.bof = false;
    } else {
        d.cur = -1;
        d.curRow.reset();
        d.eof = d.bof = true;
    }
    if (old != d.cur || wasDetached) d.notifyRowMove();
}

bool DataSet::eof() const {
    if (impl_->pendingFirst) impl_->resolvePending();
    return impl_->eof;
}

bool DataSet::bof() const {
    if (impl_->pendingFirst) impl_->resolvePending();
    return impl_->bof;
}

bool DataSet::isEmpty() const {
    auto& d = *impl_;
    if (!d.active) return true;
    if (d.pendingFirst) d.resolvePending();
    if (d.curRow) return false;
    return !const_cast<DataSetImpl&>(d).ensureRow(0);
}

int DataSet::recordCount() {
    auto& d = *impl_;
    if (!d.active) return 0;
    d.fetchAll();
    return d.known;
}

int DataSet::currentRow() const {
    if (impl_->pendingFirst) impl_->resolvePending();
    return impl_->cur;
}

bool DataSet::moveTo(int row) {
    auto& d = *impl_;
    d.requireActive();
    d.pendingFirst = false;
    if (!d.ensureRow(row)) return false;
    bool moved = d.cur != row || d.detached;
    d.setCurrent(row);
    d.eof = d.bof = false;
    if (moved) d.notifyRowMove();
    return true;
}

int DataSet::fetchedCount() const { return impl_->known; }

bool DataSet::allFetched() const {
    const auto& d = *impl_;
    return d.active && d.cursorStarted && d.cursorEof;
}

int DataSet::fetchMore(int maxRows) {
    auto& d = *impl_;
    if (!d.active || maxRows <= 0) return 0;
    if (!d.cursorStarted) d.startCursor();
    // Continue from the end of what is known (the window may lag behind
    // after a re-fetch).
    int before = d.known;
    int target = d.known + maxRows - 1;
    while (d.windowFirst + static_cast<int>(d.window.size()) <= target)
        if (!d.fetchOne()) break;
    int added = d.known - before;
    if (d.pendingFirst && d.known > 0) d.resolvePending();
    if (added > 0) d.notify([&](DataSetListener& l) { l.rowsFetched(*this, before, added); });
    return added;
}

std::string DataSet::displayText(int row, int column) {
    auto& d = *impl_;
    if (!d.active || column < 0 || column >= static_cast<int>(d.fields.size())) return {};
    const Row* r = d.rowAt(row);
    if (!r) return {};
    if (column >= d.visibleCols) return valueToString(r->calc[column - d.visibleCols]);
    const Column& c = d.cols[column];
    if (isNullIn(c, r->data.data())) return {};
    return textOf(d, c, r->data.data());
}

bool DataSet::isNullAt(int row, int column) {
    auto& d = *impl_;
    if (!d.active || column < 0 || column >= static_cast<int>(d.fields.size())) return true;
    const Row* r = d.rowAt(row);
    if (!r) return true;
    if (column >= d.visibleCols) return engine::isNull(r->calc[column - d.visibleCols]);
    return isNullIn(d.cols[column], r->data.data());
}

int DataSet::fieldCount() const { return static_cast<int>(impl_->fields.size()); }

Field& DataSet::field(int index) {
    auto& f = impl_->fields;
    if (index < 0 || index >= static_cast<int>(f.size()))
        throw DbError((name_.empty() ? std::string() : name_ + ": ") + "Field index out of range");
    return *f[index];
}

const Field& DataSet::field(int index) const { return const_cast<DataSet*>(this)->field(index); }

// The exact name first: in dialect 3, "NOTE" and "Note" are two columns.
// Then the name in any case, as a name typed in dialect 1 is meant.
Field* DataSet::findField(const std::string& name) {
    for (auto& f : impl_->fields)
        if (f->name() == name) return f.get();
    for (auto& f : impl_->fields)
        if (sameName(f->name(), name)) return f.get();
    return nullptr;
}

const Field* DataSet::findField(const std::string& name) const { return const_cast<DataSet*>(this)->findField(name); }

Field& DataSet::fieldByName(const std::string& name) {
    if (Field* f = findField(name)) return *f;
    throw DbError((name_.empty() ? std::string() : name_ + ": ") + "Field '" + name + "' not found");
}

std::vector<std::string> DataSet::fieldNames() const {
    std::vector<std::string> out;
    for (auto& f : impl_->fields) out.push_back(f->name());
    return out;
}

void DataSet::addCalculatedField(const std::string& name, std::function<Value(DataSet&, int row)> handler) {
    if (impl_->active) throw DbError("Cannot add a calculated field to an open dataset");
    impl_->calcDefs.push_back({name, std::move(handler)});
}

// ---------------------------------------------------------------- editing

bool DataSet::canModify() const {
    const auto& d = *impl_;
    return d.active && d.source && d.source->writer() != nullptr;
}

namespace {

RowWriter& writerOf(DataSet& ds) {
    auto& d = ds.impl();
    d.requireActive();
    RowWriter* w = d.source ? d.source->writer() : nullptr;
    if (!w) throw DbError((ds.name().empty() ? std::string() : ds.name() + ": ") + "Cannot modify a read-only dataset");
    return *w;
}

}  // namespace

void DataSet::append() {
    auto& d = *impl_;
    writerOf(*this);
    if (d.state == DataSetState::Edit || d.state == DataSetState::Insert) post();
    d.edit.data.assign(d.msgLength, 0);
    for (const Column& c : d.cols) setNullIn(c, d.edit.data.data(), true);
    d.edit.calc.assign(d.calcDefs.size(), Value{});
    d.pendingBlobs.assign(d.cols.size(), std::nullopt);
    d.state = DataSetState::Insert;
    d.notifyState();
}

void DataSet::edit() {
    auto& d = *impl_;
    writerOf(*this);
    if (d.state == DataSetState::Edit || d.state == DataSetState::Insert) return;
    if (d.pendingFirst) d.resolvePending();
    if (!d.curRow) throw DbError((name_.empty() ? std::string() : name_ + ": ") + "Cannot edit: no current record");
    d.edit.data = d.curRow->data;
    d.edit.calc = d.curRow->calc;
    d.pendingBlobs.assign(d.cols.size(), std::nullopt);
    d.state = DataSetState::Edit;
    d.notifyState();
}

void DataSet::post() {
    auto& d = *impl_;
    RowWriter& w = writerOf(*this);
    if (d.state == DataSetState::Browse) return;
    TxRef tx = d.dbi().acquire();
    try {
        if (d.state == DataSetState::Insert) w.insert(*tx, d.edit, d.pendingBlobs);
        else w.update(*tx, *d.curRow, d.edit, d.pendingBlobs);
        if (tx->autocommit) tx->commitNow();
    } catch (...) {
        if (tx->autocommit) tx->rollbackNow();
        throw;
    }
    std::fill(d.pendingBlobs.begin(), d.pendingBlobs.end(), std::nullopt);
    if (d.state == DataSetState::Insert) {
        d.state = DataSetState::Browse;
        if (d.cursorStarted && !d.detached) {
            // The new row goes after the current one in the local row list.
            int at = d.cur < 0 ? d.windowFirst + static_cast<int>(d.window.size()) : d.cur + 1;
            if (at < d.windowFirst) at = d.windowFirst;
            RowPtr r = d.newRow();
            r->data = d.edit.data;
            r->calc = d.edit.calc;
            d.window.insert(d.window.begin() + (at - d.windowFirst), r);
            d.windowBytes += r->bytes();
            ++d.known;
            d.rowsShifted = true;
            d.setCurrent(at);
            d.eof = d.bof = false;
            d.notify([&](DataSetListener& l) { l.rowInserted(*this, at); });
        } else {
            // Not part of the browse cursor (a table not browsed yet).
            RowPtr r = d.curRow && d.detached && d.curRow.use_count() == 1 ? d.curRow : d.newRow();
            r->txSerial = 0;  // its RDB$DB_KEY is not known
            r->data = d.edit.data;
            r->calc = d.edit.calc;
            d.setDetached(r);
        }
    } else {
        d.state = DataSetState::Browse;
        d.curRow->data = d.edit.data;
        d.curRow->calc = d.edit.calc;
        if (!d.detached) {
            int row = d.cur;
            d.notify([&](DataSetListener& l) { l.rowChanged(*this, row); });
        }
    }
    d.notifyState();
}

void DataSet::cancel() {
    auto& d = *impl_;
    if (d.state != DataSetState::Edit && d.state != DataSetState::Insert) return;
    d.state = DataSetState::Browse;
    std::fill(d.pendingBlobs.begin(), d.pendingBlobs.end(), std::nullopt);
    d.notifyState();
}

void DataSet::remove() {
    auto& d = *impl_;
    RowWriter& w = writerOf(*this);
    if (d.state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (d.state == DataSetState::Edit) cancel();
    if (d.pendingFirst) d.resolvePending();
    if (!d.curRow) throw DbError((name_.empty() ? std::string() : name_ + ": ") + "Cannot delete: no current record");
    TxRef tx = d.dbi().acquire();
    try {
        w.remove(*tx, *d.curRow);
        if (tx->autocommit) tx->commitNow();
    } catch (...) {
        if (tx->autocommit) tx->rollbackNow();
        throw;
    }
    if (d.detached) {
        d.curRow.reset();
        d.detached = false;
        d.eof = d.bof = true;
        d.notifyRowMove();
        return;
    }
    int row = d.cur;
    if (row >= d.windowFirst && row < d.windowFirst + static_cast<int>(d.window.size())) {
        d.windowBytes -= d.window[row - d.windowFirst]->bytes();
        d.window.erase(d.window.begin() + (row - d.windowFirst));
    }
    --d.known;
    d.rowsShifted = true;
    d.curRow.reset();
    d.cur = -1;
    d.notify([&](DataSetListener& l) { l.rowRemoved(*this, row); });
    if (d.ensureRow(row)) {
        d.setCurrent(row);
        d.eof = d.bof = false;
    } else if (row > 0 && d.ensureRow(row - 1)) {
        d.setCurrent(row - 1);
        d.eof = true;
        d.bof = false;
    } else {
        d.eof = d.bof = true;
    }
    d.notifyRowMove();
}

// ---------------------------------------------------------------- controls

void DataSet::disableControls() { ++impl_->disableCount; }

void DataSet::enableControls() {
    auto& d = *impl_;
    if (d.disableCount == 0) return;
    if (--d.disableCount > 0) return;
    // One refresh for everything that happened meanwhile.
    if (d.active) d.notify([&](DataSetListener& l) { l.dataSetOpened(*this); });
    else d.notify([&](DataSetListener& l) { l.dataSetClosed(*this); });
}

bool DataSet::controlsDisabled() const { return impl_->disableCount > 0; }

void DataSet::addListener(DataSetListener* l) {
    auto& v = impl_->listeners;
    if (l && std::find(v.begin(), v.end(), l) == v.end()) v.push_back(l);
}

void DataSet::removeListener(DataSetListener* l) {
    auto& v = impl_->listeners;
    v.erase(std::remove(v.begin(), v.end(), l), v.end());
}

void DataSet::setUnidirectional(bool on) { impl_->unidirectional = on; }
bool DataSet::unidirectional() const { return impl_->unidirectional; }

void DataSet::setCacheLimit(size_t bytes) { impl_->cacheLimit = bytes; }
size_t DataSet::cacheLimit() const { return impl_->cacheLimit; }
int DataSet::cachedRowCount() const { return static_cast<int>(impl_->window.size()); }

}  // namespace quorvel::engine
