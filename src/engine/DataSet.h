#pragma once
// Common part of queries and tables: a result with a current row, fields,
// navigation, editing and notifications for grids.
//
// Rows are fetched from the server as they are needed (grids fetch as they
// scroll). Fetched rows are kept in a bounded cache so a grid can scroll back;
// walking a large result row by row keeps memory bounded (rows that fell out
// of the cache are fetched again when the caller moves back to them).
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Field.h"
#include "Value.h"

namespace quorvel::engine {

class Database;
struct DataSetImpl;

// Observer for grids and detail links. All callbacks run on the caller's
// thread, synchronously.
class DataSetListener {
public:
    virtual ~DataSetListener() = default;
    virtual void dataSetOpened(DataSet&) {}
    virtual void dataSetClosed(DataSet&) {}
    virtual void rowsFetched(DataSet&, int /*firstNewRow*/, int /*count*/) {}
    virtual void currentRowChanged(DataSet&) {}
    virtual void rowChanged(DataSet&, int /*row*/) {}   // after post of an edit
    virtual void rowInserted(DataSet&, int /*row*/) {}  // after post of an append
    virtual void rowRemoved(DataSet&, int /*row*/) {}
    virtual void stateChanged(DataSet&) {}              // browse/edit/insert
    // The data set is being destroyed: drop every pointer to it.
    virtual void dataSetDestroyed(DataSet&) {}
};

enum class DataSetState { Inactive, Browse, Edit, Insert };

class DataSet {
public:
    explicit DataSet(Database& db);
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    Database& database() const { return db_; }
    // A name for messages and for the front ends (e.g. "QTables").
    void setName(const std::string& n) { name_ = n; }
    const std::string& name() const { return name_; }

    virtual void open() = 0;
    void close();
    bool active() const;
    DataSetState state() const;

    // Navigation. eof() is true after next() past the last row or on an
    // empty result; bof() after prior() before the first row or on open.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    // Number of rows of the result (fetches to the end).
    int recordCount();
    // 0-based index of the current row, -1 when there is none.
    int currentRow() const;
    // Makes row `row` current (fetching up to it as needed); false if out of range.
    bool moveTo(int row);

    // Grid support: rows fetched so far, whether the end was reached, and
    // fetching more without moving the current row.
    int fetchedCount() const;
    bool allFetched() const;
    int fetchMore(int maxRows);  // returns number of rows added
    // Display text of any fetched row without moving the current row.
    std::string displayText(int row, int column);
    bool isNullAt(int row, int column);

    // Fields.
    int fieldCount() const;
    Field& field(int index);
    const Field& field(int index) const;
    Field& fieldByName(const std::string& name);  // throws "Field 'X' not found"
    Field* findField(const std::string& name);    // case-insensitive
    const Field* findField(const std::string& name) const;
    std::vector<std::string> fieldNames() const;

    // Calculated field, computed by `handler` for every row fetched. Must be
    // declared while the data set is closed.
    void addCalculatedField(const std::string& name,
                            std::function<Value(DataSet&, int row)> handler);

    // Editing (tables and live queries).
    bool canModify() const;
    void append();   // new empty record in insert state
    void edit();     // current row into edit state
    void post();     // writes the record; throws DbError and keeps the state on failure
    void cancel();   // back to browse, edit buffer dropped
    void remove();   // deletes the current row

    // Grids bound to this data set do not follow it between these calls.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    void addListener(DataSetListener* l);
    void removeListener(DataSetListener* l);

    // Walking without keeping rows: when set, rows already passed are not
    // cached at all (for one-pass transfers). Set while closed.
    void setUnidirectional(bool on);
    bool unidirectional() const;

    // Bytes of fetched rows kept for moving back (default 32 MB); rows that
    // fell out are fetched again by running the statement anew.
    void setCacheLimit(size_t bytes);
    size_t cacheLimit() const;
    int cachedRowCount() const;  // rows held right now (for tests)

    // Engine internals.
    DataSetImpl& impl() { return *impl_; }
    const DataSetImpl& impl() const { return *impl_; }

protected:
    Database& db_;
    std::string name_;
    std::unique_ptr<DataSetImpl> impl_;
};

}  // namespace quorvel::engine
