#include "Query.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "Catalog.h"
#include "InterruptWatch.h"
#include "DataSetImpl.h"
#include "Database.h"
#include "RowWriter.h"
#include "SqlText.h"
#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

namespace {

bool returnsRows(unsigned type, unsigned flags) {
    return (flags & IStatement::FLAG_HAS_CURSOR) != 0 || type == isc_info_sql_stmt_select ||
           type == isc_info_sql_stmt_select_for_upd;
}

}  // namespace

// The statement behind a query, its parameters and its detail link.
class QuerySource : public RowSource, public DataSetListener {
public:
    explicit QuerySource(DataSetImpl& d) : d(d) {}

    DataSetImpl& d;
    std::vector<std::string> lines;
    std::map<std::string, Value> params;  // by upper-case name
    bool parsed = false;
    std::string serverSql;
    std::vector<std::string> markers;     // parameter name of every '?'
    IStatement* stmt = nullptr;
    IMessageMetadata* inMeta = nullptr;
    std::vector<unsigned char> inBuf;
    DataSet* master = nullptr;
    bool live = false;
    bool browseOnly = false;
    std::unique_ptr<RowWriter> rowWriter;
    int rowsAffected = 0;
    bool rerunning = false;
    bool keptPrepared = false;  // prepared by the caller through Query::prepare()

    IResultSet* openCursor(Tx& tx) override {
        return stmt->openCursor(&d.dbi().st, tx.tra, inMeta, inMeta ? inBuf.data() : nullptr, d.meta, 0);
    }

    void closeSource() noexcept override {
        rowWriter.reset();
        // A statement the caller prepared stays prepared between runs (a
        // query run once per row must not be prepared once per row); any
        // other is freed so its tables are not left "in use" for DDL.
        if (!keptPrepared || d.dbi().detaching) {
            keptPrepared = false;
            forgetStatement();
        }
    }

    RowWriter* writer() override { return rowWriter.get(); }

    TxRef readingTx(DatabaseImpl& db) override { return db.acquire(browseOnly && !live); }

    void parse() {
        if (parsed) return;
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i) text += "\n";
            text += lines[i];
        }
        serverSql = Query::translateColons(text, &markers);
        parsed = true;
    }

    void sqlChanged() {
        d.self.close();
        keptPrepared = false;
        forgetStatement();
        parsed = false;
        markers.clear();
        params.clear();
    }

    // Values for every marker, checked before anything reaches the server.
    std::vector<Value> values() {
        std::vector<Value> out;
        out.reserve(markers.size());
        for (const auto& name : markers) {
            if (master) {
                if (master->active()) {
                    if (Field* f = master->findField(name)) {
                        out.push_back(f->asValue());
                        continue;
                    }
                }
            }
            auto it = params.find(upperName(name));
            if (it != params.end()) {
                out.push_back(it->second);
                continue;
            }
            if (master && !master->active()) {
                out.push_back(Null{});
                continue;
            }
            throw DbError("No value for parameter '" + name + "'");
        }
        return out;
    }

    void prepare(Tx& tx) {
        if (!stmt) stmt = d.dbi().prepare(serverSql, tx);
    }

    // Describes every parameter by the type of its value and lets the
    // server convert (a text for a numeric or date column included). The
    // description is kept while the value types stay the same, so running a
    // prepared statement again costs no metadata work.
    struct Shape {
        int kind;           // 0 NULL (statement's own type), 1 integer, 2 double, 3 text, 4 BLOB,
                            // 5 exact scaled number (a BIGINT with the value's scale)
        unsigned capacity;  // text bytes
        int scale = 0;
        bool operator==(const Shape&) const = default;
    };
    std::vector<Shape> shape;
    std::vector<Column> inCols;
    std::vector<unsigned> ownTypes;

    // The longest text a VARCHAR parameter carries: its length is 16 bits
    // and the server takes no more than this.
    static constexpr size_t kMaxTextParam = 32765;

    static Shape shapeOf(const Value& v) {
        if (std::holds_alternative<int64_t>(v)) return {1, 0};
        if (std::holds_alternative<double>(v)) return {2, 0};
        if (auto* x = std::get_if<Scaled>(&v)) return {5, 0, x->scale};
        if (auto* s = std::get_if<std::string>(&v)) {
            unsigned cap = 32;
            while (cap < s->size()) cap *= 2;
            return {3, static_cast<unsigned>(std::min<size_t>(cap, kMaxTextParam))};
        }
        return {0, 0};
    }

    void forgetStatement() noexcept {
        releaseRef(inMeta);
        shape.clear();
        inCols.clear();
        ownTypes.clear();
        if (!d.databaseGone) freeStatement(stmt);
        else stmt = nullptr;
    }

    void bind(const std::vector<Value>& vals, Tx& tx) {
        if (vals.empty()) {
            releaseRef(inMeta);
            shape.clear();
            return;
        }
        auto& st = d.dbi().st;
        if (ownTypes.empty()) {
            // The statement's own parameter types, read once per preparation.
            Ref<IMessageMetadata> own(stmt->getInputMetadata(&st));
            for (const Column& c : describe(own.get(), st)) ownTypes.push_back(c.sqlType);
        }
        std::vector<Shape> wanted;
        wanted.reserve(vals.size());
        for (unsigned i = 0; i < vals.size(); ++i) {
            Shape w = shapeOf(vals[i]);
            // Text for a BLOB parameter goes as a BLOB of its own.
            if (w.kind == 3 && i < ownTypes.size() && ownTypes[i] == SQL_BLOB) w = {4, 0};
            if (w.kind == 3 && std::get<std::string>(vals[i]).size() > kMaxTextParam)
                throw DbError("The text for parameter '" + markers[i] + "' is " +
                              std::to_string(std::get<std::string>(vals[i]).size()) +
                              " bytes long; a parameter takes at most " + std::to_string(kMaxTextParam) +
                              " bytes of text unless it stands for a BLOB");
            wanted.push_back(w);
        }
        if (!inMeta || wanted != shape) {
            releaseRef(inMeta);
            shape.clear();
            Ref<IMessageMetadata> own(stmt->getInputMetadata(&st));
            MessageBuilder b(st, own.get());
            for (unsigned i = 0; i < vals.size(); ++i) {
                const Shape& w = wanted[i];
                if (w.kind == 0 || w.kind == 4) continue;
                b.set(i, (w.kind == 1 || w.kind == 5 ? SQL_INT64 : w.kind == 2 ? SQL_DOUBLE : SQL_VARYING) | 1, 0,
                      w.kind == 3 ? w.capacity : 8, w.scale);
            }
            inMeta = b.finish();
            inCols = describe(inMeta, st);
            inBuf.assign(inMeta->getMessageLength(&st), 0);
            shape = std::move(wanted);
        }
        unsigned char* buf = inBuf.data();
        for (unsigned i = 0; i < vals.size(); ++i) {
            const Value& v = vals[i];
            const Column& c = inCols[i];
            if (isNull(v)) {
                setNullIn(c, buf, true);
            } else if (auto* iv = std::get_if<int64_t>(&v)) {
                std::memcpy(buf + c.offset, iv, sizeof *iv);
                setNullIn(c, buf, false);
            } else if (auto* dv = std::get_if<double>(&v)) {
                std::memcpy(buf + c.offset, dv, sizeof *dv);
                setNullIn(c, buf, false);
            } else if (auto* xv = std::get_if<Scaled>(&v)) {
                std::memcpy(buf + c.offset, &xv->units, sizeof xv->units);
                setNullIn(c, buf, false);
            } else if (shape[i].kind == 4) {
                ISC_QUAD id = writeWholeBlob(d.dbi(), tx, std::get<std::string>(v));
                std::memcpy(buf + c.offset, &id, sizeof id);
                setNullIn(c, buf, false);
            } else {
                writeText(c, buf, std::get<std::string>(v));
            }
        }
    }

    // Editing of a live result: rows of one table, found by its primary key
    // (or by RDB$DB_KEY, added to the statement, when it has none).
    void setUpLive(Tx& tx, const std::vector<Value>& vals);

    // Detail link: the master's current row changed.
    void masterMoved() {
        if (!d.active || rerunning || d.databaseGone) return;
        rerunning = true;
        struct Done {
            bool& f;
            ~Done() { f = false; }
        } done{rerunning};
        std::vector<Value> vals = values();
        if (d.state == DataSetState::Edit || d.state == DataSetState::Insert) d.state = DataSetState::Browse;
        d.resetCursor();
        TxRef tx = readingTx(d.dbi());
        bind(vals, *tx);
        d.readTx.reset();
        d.startCursor(tx);
        d.finishOpen(true);
        d.notify([&](DataSetListener& l) { l.dataSetOpened(d.self); });
    }
    void dataSetOpened(DataSet&) override { masterMoved(); }
    void dataSetDestroyed(DataSet& m) override {
        if (&m == master) master = nullptr;
    }
    void currentRowChanged(DataSet&) override { masterMoved(); }
    void rowChanged(DataSet& m, int row) override {
        if (row == m.currentRow()) masterMoved();
    }
};

namespace {

QuerySource& qs(DataSetImpl& d) { return static_cast<QuerySource&>(*d.source); }

}  // namespace

void QuerySource::setUpLive(Tx& tx, const std::vector<Value>& vals) {
    std::string table;
    for (int i = 0; i < d.visibleCols; ++i) {
        const Column& c = d.cols[i];
        if (c.relation.empty()) continue;
        if (table.empty()) table = c.relation;
        else if (table != c.relation) return;  // a join: read-only
    }
    if (table.empty()) return;
    std::vector<TableColumn> tcols = tableColumns(d.db, table);
    auto computed = [&](const std::string& n) {
        for (auto& t : tcols)
            if (t.name == n) return t.computed;
        return false;
    };
    auto findCol = [&](const std::string& origin) {
        for (int i = 0; i < d.visibleCols; ++i)
            if (d.cols[i].relation == table && d.cols[i].origin == origin) return i;
        return -1;
    };
    std::vector<int> key;
    for (const auto& k : primaryKeyColumns(d.db, table)) {
        int i = findCol(k);
        if (i < 0) {
            key.clear();
            key.push_back(-1);
            break;
        }
        key.push_back(i);
    }
    bool keyComplete = !key.empty() && key[0] >= 0;
    int dbKey = -1;
    if (!keyComplete) {
        key.clear();
        std::string withKey = addDbKeyColumn(serverSql);
        if (withKey.empty()) return;
        IStatement* other = d.dbi().prepare(withKey, tx);
        IMessageMetadata* described = nullptr;
        {
            OnFailure freeOther([&] { freeStatement(other); });
            described = other->getOutputMetadata(&d.dbi().st);
        }
        Ref<IMessageMetadata> out(described);
        forgetStatement();
        stmt = other;
        int visible = d.visibleCols;
        d.setLayout(out.get(), visible);
        dbKey = static_cast<int>(d.cols.size()) - 1;
        bind(vals, tx);
    }
    std::vector<int> writable;
    for (int i = 0; i < d.visibleCols; ++i) {
        const Column& c = d.cols[i];
        if (c.relation == table && !c.origin.empty() && !computed(c.origin)) writable.push_back(i);
    }
    rowWriter = std::make_unique<RowWriter>(d, table, writable, key, dbKey);
}

Query::Query(Database& db) : DataSet(db) { impl_->source = std::make_unique<QuerySource>(*impl_); }

Query::~Query() {
    auto& q = qs(*impl_);
    if (q.master) q.master->removeListener(&q);
    q.master = nullptr;
    // Listeners (grids, detail links) let go of it; closing is not announced.
    auto listeners = impl_->listeners;
    impl_->listeners.clear();
    for (DataSetListener* l : listeners) l->dataSetDestroyed(*this);
    close();
}

void Query::clearSql() {
    auto& q = qs(*impl_);
    q.sqlChanged();
    q.lines.clear();
}

void Query::addSql(const std::string& text) {
    auto& q = qs(*impl_);
    q.sqlChanged();
    q.lines.push_back(text);
}

void Query::setSql(const std::string& text) {
    clearSql();
    addSql(text);
}

std::string Query::sql() const {
    auto& q = qs(*impl_);
    std::string text;
    for (size_t i = 0; i < q.lines.size(); ++i) {
        if (i) text += "\n";
        text += q.lines[i];
    }
    return text;
}

void Query::setParam(const std::string& name, const Value& value) { qs(*impl_).params[upperName(name)] = value; }
void Query::clearParams() { qs(*impl_).params.clear(); }

std::vector<std::string> Query::paramNames() const {
    auto& q = qs(*impl_);
    q.parse();
    std::vector<std::string> out;
    for (const auto& n : q.markers) {
        bool seen = false;
        for (const auto& o : out) seen = seen || upperName(o) == upperName(n);
        if (!seen) out.push_back(n);
    }
    return out;
}

void Query::setMasterSource(DataSet* master) {
    auto& q = qs(*impl_);
    if (q.master) q.master->removeListener(&q);
    q.master = master;
    if (master) master->addListener(&q);
}

void Query::setLive(bool live) { qs(*impl_).live = live; }
bool Query::live() const { return qs(*impl_).live; }
void Query::setBrowseOnly(bool browseOnly) { qs(*impl_).browseOnly = browseOnly; }
bool Query::browseOnly() const { return qs(*impl_).browseOnly; }

void Query::prepare() {
    auto& q = qs(*impl_);
    q.parse();
    TxRef tx = impl_->dbi().acquire();
    q.prepare(*tx);
    q.keptPrepared = true;
}

void Query::open() {
    auto& d = *impl_;
    if (d.active) return;
    auto& q = qs(d);
    q.parse();
    std::vector<Value> vals = q.values();
    d.dbi().requireConnected();
    try {
        TxRef tx = q.readingTx(d.dbi());
        q.prepare(*tx);
        auto& st = d.dbi().st;
        unsigned type = q.stmt->getType(&st);
        unsigned flags = q.stmt->getFlags(&st);
        if (!returnsRows(type, flags)) throw DbError((name_.empty() ? std::string() : name_ + ": ") + "The statement returns no rows");
        q.bind(vals, *tx);
        Ref<IMessageMetadata> out(q.stmt->getOutputMetadata(&st));
        d.setLayout(out.get(), -1);
        if (q.live) q.setUpLive(*tx, vals);
        d.buildFields();
        d.startCursor(tx);
        d.finishOpen(true);
    } catch (...) {
        d.closeAll();
        throw;
    }
    d.notify([&](DataSetListener& l) { l.dataSetOpened(*this); });
}

void Query::execSql() {
    auto& d = *impl_;
    auto& q = qs(d);
    if (d.active) close();
    q.parse();
    std::vector<Value> vals = q.values();
    d.dbi().requireConnected();
    bool keep = q.keptPrepared;  // prepared by the caller: keep it for the next run
    TxRef tx = d.dbi().acquire();
    auto& st = d.dbi().st;
    try {
        q.prepare(*tx);
        q.bind(vals, *tx);
        // A statement kept prepared is not prepared again: the window's
        // Cancel stops it here.
        throwIfCancelled();
        unsigned type = q.stmt->getType(&st);
        unsigned flags = q.stmt->getFlags(&st);
        if (returnsRows(type, flags)) {
            IResultSet* rs = q.openCursor(*tx);
            closeResultSet(rs);
            q.rowsAffected = 0;
        } else {
            Ref<IMessageMetadata> out(q.stmt->getOutputMetadata(&st));
            std::vector<unsigned char> outBuf(out->getMessageLength(&st));
            q.stmt->execute(&st, tx->tra, q.inMeta, q.inMeta ? q.inBuf.data() : nullptr, out.get(),
                            outBuf.empty() ? nullptr : outBuf.data());
            q.rowsAffected = static_cast<int>(q.stmt->getAffectedRecords(&st));
        }
        if (tx->autocommit) tx->commitNow();
    } catch (...) {
        if (tx->autocommit) tx->rollbackNow();
        if (!keep) q.forgetStatement();
        throw;
    }
    // A statement left prepared would keep its tables "in use" for DDL.
    if (!keep) q.forgetStatement();
}

int Query::rowsAffected() const { return qs(*impl_).rowsAffected; }

std::string Query::serverSql() const {
    auto& q = qs(*impl_);
    q.parse();
    return q.serverSql;
}

}  // namespace quorvel::engine
