#pragma once
// Private to the engine: the INSERT, UPDATE and DELETE statements behind an
// editable data set, prepared once and run with the data set's row buffers.
// Rows are found by the table's primary key (old values) or, for a table
// without one, by RDB$DB_KEY.
#include <optional>
#include <string>
#include <vector>

#include "DataSetImpl.h"

namespace quorvel::engine {

class RowWriter {
public:
    // `writable`: columns written by INSERT/UPDATE (computed ones left out);
    // `key`: primary key columns; `dbKey`: the hidden RDB$DB_KEY column
    // (-1 when the result has none). A row is found by RDB$DB_KEY when there
    // is no key, or when it is written in the transaction it was read in
    // (a direct record access instead of an index lookup).
    RowWriter(DataSetImpl& ds, std::string table, std::vector<int> writable, std::vector<int> key, int dbKey);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    void insert(Tx& tx, Row& edit, std::vector<std::optional<std::string>>& blobs);
    void update(Tx& tx, const Row& old, Row& edit, std::vector<std::optional<std::string>>& blobs);
    void remove(Tx& tx, const Row& old);

    const std::string& table() const { return table_; }
    bool identifiesRows() const { return dbKey_ >= 0 || !key_.empty(); }

private:
    struct Param {
        int col;
        bool old;  // from the row before editing
        unsigned offset, nullOffset;
    };
    struct Stmt {
        fb::IStatement* stmt = nullptr;
        fb::IMessageMetadata* meta = nullptr;
        std::vector<unsigned char> buf;
        std::vector<Param> params;
    };

    void build(Stmt& s, const std::string& sql, const std::vector<std::pair<int, bool>>& params, Tx& tx);
    void fill(Stmt& s, Tx& tx, const Row* old, Row* edit, std::vector<std::optional<std::string>>* blobs);
    void run(Stmt& s, Tx& tx, bool mustHit);
    std::string whereClause(bool byDbKey) const;
    std::vector<std::pair<int, bool>> keyParams(bool byDbKey) const;
    bool useDbKey(Tx& tx, const Row& old) const;
    void release(Stmt& s) noexcept;

    DataSetImpl& ds_;
    std::string table_;
    std::vector<int> writable_, key_;
    int dbKey_;
    Stmt ins_, upd_, del_, updByDbKey_, delByDbKey_;
};

}  // namespace quorvel::engine
