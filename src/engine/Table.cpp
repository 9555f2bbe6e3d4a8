#include "Table.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "Catalog.h"
#include "DataSetImpl.h"
#include "Database.h"
#include "RowWriter.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

// The statements of a table opened by name: the browse cursor in key order,
// one locate statement per key-field set, and the writer.
class TableSource : public RowSource {
public:
    explicit TableSource(DataSetImpl& d) : d(d) {}

    struct Locator {
        std::vector<int> cols;
        std::vector<Column> params;  // key columns at their offsets in `buf`
        IStatement* stmt = nullptr;
        IMessageMetadata* meta = nullptr;
        std::vector<unsigned char> buf;
    };

    DataSetImpl& d;
    std::string table;
    std::string selectList;  // "*" or "T.*, T.RDB$DB_KEY"
    IStatement* browse = nullptr;
    std::unique_ptr<RowWriter> rowWriter;
    std::map<std::string, Locator> locators;
    std::vector<int> keyCols;   // primary key columns
    Locator* last = nullptr;    // the locator used last, for `lastFields`
    std::string lastFields;

    IResultSet* openCursor(Tx& tx) override {
        return browse->openCursor(&d.dbi().st, tx.tra, nullptr, nullptr, d.meta, 0);
    }

    void closeSource() noexcept override {
        rowWriter.reset();
        for (auto& [k, l] : locators) {
            if (!d.databaseGone) freeStatement(l.stmt);
            releaseRef(l.meta);
        }
        locators.clear();
        last = nullptr;
        lastFields.clear();
        keyCols.clear();
        if (!d.databaseGone) freeStatement(browse);
        browse = nullptr;
    }

    RowWriter* writer() override { return rowWriter.get(); }

    bool locate(Table& self, const std::string& keyFields, const Value* values, size_t n);

    // Index of the cached browse row with the same RDB$DB_KEY, -1 if none.
    int browsedRow(const Row& r) const {
        if (!d.cursorStarted || d.window.empty()) return -1;
        const Column& k = d.cols.back();
        const unsigned char* key = r.data.data() + k.offset;
        for (size_t i = 0; i < d.window.size(); ++i) {
            const Row& w = *d.window[i];
            if (!isNullIn(k, w.data.data()) && std::memcmp(w.data.data() + k.offset, key, k.length) == 0)
                return d.windowFirst + static_cast<int>(i);
        }
        return -1;
    }

    Locator& locator(const std::vector<int>& cols, Tx& tx) {
        std::string key;
        for (int c : cols) key += std::to_string(c) + ";";
        auto it = locators.find(key);
        if (it != locators.end()) return it->second;
        Locator l;
        l.cols = cols;
        std::string where;
        for (int c : cols) where += (where.empty() ? " where " : " and ") + d.db.identifier(d.cols[c].origin) + " = ?";
        auto& st = d.dbi().st;
        try {
            l.stmt = d.dbi().prepare("select " + selectList + " from " + d.db.identifier(table) + where, tx);
            MessageBuilder b(st, static_cast<unsigned>(cols.size()));
            for (unsigned i = 0; i < cols.size(); ++i) {
                const Column& c = d.cols[cols[i]];
                b.set(i, c.sqlType | 1, c.subType, c.length, c.scale, static_cast<int>(c.charSet));
            }
            l.meta = b.finish();
            l.params = describe(l.meta, st);
            l.buf.assign(l.meta->getMessageLength(&st), 0);
        } catch (...) {
            // A locator that could not be built leaves no statement behind
            // to keep the table in use.
            freeStatement(l.stmt);
            releaseRef(l.meta);
            throw;
        }
        return locators.emplace(key, std::move(l)).first->second;
    }
};

namespace {

TableSource& ts(DataSetImpl& d) { return static_cast<TableSource&>(*d.source); }

std::vector<std::string> splitNames(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t semi = list.find(';', start);
        std::string n = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        size_t b = n.find_first_not_of(" \t"), e = n.find_last_not_of(" \t");
        out.push_back(b == std::string::npos ? std::string() : n.substr(b, e - b + 1));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return out;
}

}  // namespace

Table::Table(Database& db) : DataSet(db) { impl_->source = std::make_unique<TableSource>(*impl_); }

Table::~Table() {
    // Listeners (grids, detail links) let go of it; closing is not announced.
    auto listeners = impl_->listeners;
    impl_->listeners.clear();
    for (DataSetListener* l : listeners) l->dataSetDestroyed(*this);
    close();
}

void Table::setTableName(const std::string& name) {
    if (name != tableName_) close();
    tableName_ = name;
}

void Table::open() {
    auto& d = *impl_;
    if (d.active) return;
    if (tableName_.empty()) throw DbError((name_.empty() ? std::string() : name_ + ": ") + "No table name");
    d.dbi().requireConnected();
    auto& t = ts(d);
    t.table = catalogueName(db_, tableName_);
    try {
        std::vector<std::string> pk = primaryKeyColumns(db_, t.table);
        std::string order;
        for (const auto& k : pk) order += (order.empty() ? " order by " : ", ") + db_.identifier(k);
        // RDB$DB_KEY rides along hidden: rows without a key are found by it,
        // and rows written in the transaction that read them too.
        const std::string table = db_.identifier(t.table);
        t.selectList = table + ".*, " + table + ".RDB$DB_KEY";
        TxRef tx = d.dbi().acquire();
        t.browse = d.dbi().prepare("select " + t.selectList + " from " + table + order, *tx);
        auto& st = d.dbi().st;
        Ref<IMessageMetadata> out(t.browse->getOutputMetadata(&st));
        d.setLayout(out.get(), static_cast<int>(out->getCount(&st)) - 1);
        std::vector<TableColumn> tcols = tableColumns(db_, t.table);
        std::vector<bool> computed(d.visibleCols, false);
        std::vector<int> writable, key;
        for (int i = 0; i < d.visibleCols; ++i) {
            for (const auto& c : tcols)
                if (c.name == d.cols[i].origin) computed[i] = c.computed;
            if (!computed[i]) writable.push_back(i);
        }
        for (const auto& k : pk)
            for (int i = 0; i < d.visibleCols; ++i)
                if (d.cols[i].origin == k) key.push_back(i);
        t.rowWriter = std::make_unique<RowWriter>(d, t.table, writable, key, static_cast<int>(d.cols.size()) - 1);
        t.keyCols = key;
        d.buildFields(computed);
        d.finishOpen(false);
    } catch (...) {
        d.closeAll();
        throw;
    }
    d.notify([&](DataSetListener& l) { l.dataSetOpened(*this); });
}

std::string Table::primaryKeyFields() {
    std::string out;
    for (const auto& k : primaryKeyColumns(db_, tableName_)) out += (out.empty() ? "" : ";") + k;
    return out;
}

bool Table::locate(const std::string& keyFields, const Value& value) {
    return ts(*impl_).locate(*this, keyFields, &value, 1);
}

bool Table::locate(const std::string& keyFields, const std::vector<Value>& values) {
    return ts(*impl_).locate(*this, keyFields, values.data(), values.size());
}

// Called for every row of an update transfer: the key field list resolved
// last time is reused.
bool TableSource::locate(Table& self, const std::string& keyFields, const Value* values, size_t n) {
    d.requireActive();
    if (d.state == DataSetState::Edit || d.state == DataSetState::Insert) self.post();
    if (!last || keyFields != lastFields) {
        auto names = splitNames(keyFields);
        std::vector<int> cols;
        for (const auto& name : names) {
            Field& f = self.fieldByName(name);
            if (f.index() >= d.visibleCols) throw DbError("Cannot locate on the calculated field " + name);
            cols.push_back(f.index());
        }
        TxRef tx = d.dbi().acquire();
        last = &locator(cols, *tx);
        lastFields = keyFields;
    }
    Locator& loc = *last;
    if (n != loc.cols.size())
        throw DbError("Locate on " + table + ": " + std::to_string(loc.cols.size()) + " key fields but " +
                      std::to_string(n) + " values");
    unsigned char* buf = loc.buf.data();
    for (size_t i = 0; i < n; ++i) {
        const Column& c = loc.params[i];
        const Value& v = values[i];
        // Nothing equals NULL.
        if (isNull(v)) return false;
        // A key that the column cannot hold exactly (more decimals than it
        // has, a longer text) matches no row: rounding it would find another.
        if (!holdsExactly(c, v)) return false;
        writeValue(c, buf, v);
    }
    TxRef tx = d.dbi().acquire();
    auto& st = d.dbi().st;
    RowPtr row = d.newRow();
    bool found;
    // A cursor is cheaper here than a singleton select, which reads on to
    // prove there is no second row.
    {
        IResultSet* rs = loc.stmt->openCursor(&st, tx->tra, loc.meta, buf, d.meta, 0);
        OnFailure close([&] { closeResultSet(rs); });
        int res = rs->fetchNext(&st, row->data.data());
        closeResultSet(rs);
        found = res == IStatus::RESULT_OK;
        row->txSerial = tx->serial;
    }
    if (!found) {
        d.recycle(std::move(row));
        return false;
    }
    d.pendingFirst = false;  // the located row is where the table stands now
    d.computeCalc(row, -1);
    RowPtr old = std::move(d.curRow);
    int at = browsedRow(*row);
    if (at >= 0) {
        // The row is in the browse list a grid shows: it becomes current there.
        d.window[at - d.windowFirst]->data = row->data;
        d.window[at - d.windowFirst]->calc = row->calc;
        d.window[at - d.windowFirst]->txSerial = row->txSerial;
        d.pendingFirst = false;
        d.setCurrent(at);
        d.eof = d.bof = false;
        d.recycle(std::move(row));
    } else {
        d.setDetached(std::move(row));
    }
    if (old) d.recycle(std::move(old));
    d.notifyRowMove();
    return true;
}

}  // namespace quorvel::engine
