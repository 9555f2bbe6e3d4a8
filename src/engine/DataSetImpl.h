#pragma once
// Private to the engine: the inner state of a data set (columns, the bounded
// row cache, the current row, the edit buffer, listeners) and the hooks a
// query or a table plugs into it.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DataSet.h"
#include "DatabaseImpl.h"

namespace quorvel::engine {

// One column of the message a statement returns (or takes).
struct Column {
    std::string name;       // alias as returned
    std::string relation;   // table it comes from ("" for expressions)
    std::string origin;     // column name in that table
    unsigned sqlType = 0;   // SQL_xxx without the nullable bit
    int subType = 0;
    unsigned length = 0;    // bytes in the message
    int scale = 0;
    unsigned charSet = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
    FieldType type = FieldType::Unknown;
};

// Reads the columns of a message; `metadata` stays owned by the caller.
std::vector<Column> describe(fb::IMessageMetadata* metadata, fb::Status& st);
FieldType fieldTypeOf(const Column& c);

// A fetched row: the message buffer plus the values of calculated fields.
struct Row {
    std::vector<unsigned char> data;
    std::vector<Value> calc;
    uint64_t txSerial = 0;  // transaction it was read in (its RDB$DB_KEY holds there)
    size_t bytes() const { return sizeof(Row) + 48 + data.capacity() + calc.capacity() * sizeof(Value); }
};
using RowPtr = std::shared_ptr<Row>;

class RowWriter;

// What a query or a table supplies to the common data set machinery.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Opens the statement's cursor (again) in `tx`.
    virtual fb::IResultSet* openCursor(Tx& tx) = 0;
    // Releases statements and cursors of the source on close.
    virtual void closeSource() noexcept {}
    // Writer for editable results; null for read-only ones.
    virtual RowWriter* writer() { return nullptr; }
    // The transaction a cursor opened outside any reads in.
    virtual TxRef readingTx(DatabaseImpl& db) { return db.acquire(); }
};

struct CalcDef {
    std::string name;
    std::function<Value(DataSet&, int)> handler;
};

struct DataSetImpl {
    DataSetImpl(DataSet& self, Database& db) : self(self), db(db) {}

    DataSet& self;
    Database& db;
    DatabaseImpl& dbi() { return db.impl(); }
    bool databaseGone = false;

    std::unique_ptr<RowSource> source;

    // Layout.
    fb::IMessageMetadata* meta = nullptr;  // owned reference
    std::vector<Column> cols;              // message columns (visible first)
    int visibleCols = 0;                   // columns exposed as fields
    unsigned msgLength = 0;
    std::vector<std::unique_ptr<Field>> fields;
    std::vector<CalcDef> calcDefs;

    // Cursor and row cache: `window` holds rows [windowFirst, windowFirst+size)
    // and always ends where the cursor stands.
    bool active = false;
    DataSetState state = DataSetState::Inactive;
    bool cursorStarted = false;
    bool cursorEof = false;
    fb::IResultSet* rs = nullptr;
    TxRef readTx;
    std::deque<RowPtr> window;
    int windowFirst = 0;
    int known = 0;                  // rows of the result seen so far
    size_t windowBytes = 0;
    size_t cacheLimit = 32u * 1024u * 1024u;
    bool unidirectional = false;
    bool rowsShifted = false;       // rows inserted or removed locally
    std::vector<RowPtr> spare;      // recycled rows
    int computingRow = -1;
    RowPtr computing;
    RowPtr uncomputed;              // fetched, but its calculation failed

    // Current row.
    bool pendingFirst = false;      // a table not yet positioned
    int cur = -1;
    RowPtr curRow;
    bool detached = false;          // current row not part of the cursor
    bool eof = true, bof = true;

    // Edit buffer.
    Row edit;
    // New contents of BLOB columns (text) and array columns (slice bytes),
    // written when the row is posted.
    std::vector<std::optional<std::string>> pendingBlobs;
    std::map<int, std::shared_ptr<struct ArrayShape>> arrayShapes;

    // Notifications.
    std::vector<DataSetListener*> listeners;
    int disableCount = 0;

    // ---- layout ----
    void setLayout(fb::IMessageMetadata* m, int visible);
    void buildFields(const std::vector<bool>& computed = {});
    void clearLayout() noexcept;

    // ---- cursor and cache ----
    void startCursor(TxRef tx = nullptr);  // opens the cursor if not yet started
    bool fetchOne();                     // appends one row; false at the end
    bool ensureRow(int row);             // row is in the window afterwards
    const Row* rowAt(int row);           // nullptr if out of range
    RowPtr newRow();
    void recycle(RowPtr&& r);
    void evict();
    void computeCalc(const RowPtr& r, int row);  // row -1: a located row
    void refetch(int row);
    void resetCursor() noexcept;
    void resolvePending();
    void fetchAll();

    // ---- current row ----
    const Row* readRow() const;          // edit buffer or current row
    void setCurrent(int row);            // row must be in the window
    void setDetached(RowPtr r);
    void requireActive() const;
    void requireEditing() const;

    // ---- notifications ----
    template <typename F>
    void notify(F f) {
        if (disableCount > 0) return;
        auto copy = listeners;
        for (DataSetListener* l : copy)
            if (std::find(listeners.begin(), listeners.end(), l) != listeners.end()) f(*l);
    }
    void notifyRowMove() {
        notify([&](DataSetListener& l) { l.currentRowChanged(self); });
    }
    void notifyState() {
        notify([&](DataSetListener& l) { l.stateChanged(self); });
    }

    // ---- blobs ----
    std::string readBlob(const ISC_QUAD& id);
    // Transaction used for reading blobs of fetched rows.
    Tx& blobTx();
    TxRef blobTxRef;

    // Opens the data set with a started cursor (query) or pending (table).
    void finishOpen(bool startNow);
    void closeAll() noexcept;
};

}  // namespace quorvel::engine
