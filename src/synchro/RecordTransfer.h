#pragma once
// The record transfer: the one routine through which the fill and the read
// move rows between the local database and a synchro database. It appends
// every source row, or overwrites the target rows found by a list of key
// columns.
//
// The transfer reopens its source and target, starts and commits no
// transaction: the caller owns them on both connections.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/DataSet.h"
#include "engine/RowCopy.h"
#include "engine/Table.h"
#include "replica/RecordCode.h"
#include "synchro/FieldPairs.h"

namespace quorvel::synchro {

// The column names of a key list as the catalogue gives it ("A;B").
std::vector<std::string> splitKeyList(const std::string& list);
// The record code's columns: every site finds a replicated row by them.
const std::vector<std::string>& recordCodeColumns();

class RecordTransfer {
public:
    RecordTransfer(engine::DataSet& source, engine::Table& target);

    // Called every kProgressStep rows moved, with the count so far, so that a
    // front end can show a large table's progress.
    std::function<void(int64_t)> onRows;
    static constexpr int64_t kProgressStep = 5000;

    // Asked of each source row, the source standing on it, before it is
    // appended: Skip leaves it out; Replace writes it over the row appended
    // before that holds the same values in `replaceKey` (a later version of
    // that row met after it), or appends it when there is none.
    enum class Take { Append, Skip, Replace };
    using ChooseRow = std::function<Take(const engine::DataSet& source)>;
    ChooseRow chooseRow;
    std::vector<std::string> replaceKey;

    // Appends every source row; returns how many (a replaced row counts
    // once). A row that cannot be written is named in the error: the table,
    // the column when it can be told, and the row's key, before the server's
    // own text. The failing target record stays in insert state so it can be
    // shown.
    int64_t append();

    struct Overwritten {
        int64_t moved = 0;      // rows overwritten
        int64_t keptLocal = 0;  // found, but left alone because updated here
        int64_t notFound = 0;   // no target row with those key values (skipped)
    };
    // Whether the local row with this code, if there is one, is to be left
    // as it is (the local update wins, or the row holds this change
    // already). Asked before the row is looked for: it must change nothing.
    using KeepLocal = std::function<bool(const replica::RecordCode&)>;
    // Told of a coded source row the server refused to write (a key another
    // row still holds, a parent not yet there): true passes over it, nothing
    // of it written, for the caller to try again later; false stops the
    // transfer with the failure.
    using OnRefused = std::function<bool(const replica::RecordCode&, const std::exception&)>;
    OnRefused onRefused;
    // Told of every target row found for a source row with a record code,
    // after it was overwritten or, `kept`, left as it was.
    using OnHeld = std::function<void(const replica::RecordCode&, bool kept)>;
    // Overwrites the target rows that hold each source row's values in
    // `keyColumns`; by the record code, a row whose primary key changed at
    // the sender is still found, through the code index. Fields are paired
    // by name; the failing target record stays in edit state.
    Overwritten overwrite(const std::vector<std::string>& keyColumns, const KeepLocal& keepLocal = {},
                          const OnHeld& onHeld = {});

private:
    // Key columns on both sides, by name: what finds a target row for a source row.
    struct Key {
        std::vector<const engine::Field*> source;
        std::vector<engine::RowCopy::Pair> pairs;
        std::string list;  // "A;B", as locate takes it
    };
    Key keyOf(const std::vector<std::string>& columns) const;
    bool locate(const Key& key, std::vector<engine::Value>& values) const;
    void appendOne(engine::RowCopy* insert, const FieldPairs& pairs);
    void replaceOne(engine::RowCopy* update, engine::RowCopy* insert, const FieldPairs& pairs,
                    const Key& key);

    void reopen();
    // The field-by-field way of one row, which leaves a failing target
    // record in its insert or edit state for the caller to show.
    void appendRow(const FieldPairs& pairs);
    void overwriteRow(const FieldPairs& pairs);
    void countMoved(int64_t& moved) const;

    engine::DataSet& source_;
    engine::Table& target_;
};

}  // namespace quorvel::synchro
