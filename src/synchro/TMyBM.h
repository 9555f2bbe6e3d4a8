#pragma once
// The record transfer: the one routine through which the fill and the read
// move rows between the local database and a synchro database.
//
// The caller creates one TMyBM per pass, sets Source, Target and Mode (and
// CheckUpdated where the local journal must be respected), calls Transfer once
// per table and drops the object at the end of the pass. Transfer starts and
// commits no transaction: the caller owns them on both connections.
#include <cstdint>
#include <functional>
#include <string>

#include "db/DM.h"
#include "engine/DataSet.h"
#include "engine/Table.h"

namespace quorvel::synchro {

class Journal;

class TMyBM {
public:
    // The data module gives the local database (UserDB), where the journal
    // test of mode 1 looks for local updates.
    explicit TMyBM(DM& dm);

    engine::DataSet* Source = nullptr;  // rows to transfer; reopened by Transfer
    engine::Table* Target = nullptr;    // table the rows go to; reopened by Transfer
    // 0: append every source row; 1: overwrite the target rows that hold the
    // source rows' record codes (R$Code1, R$Code2), so a row whose primary
    // key changed at the sender is still found, through the code index.
    uint8_t Mode = 0;
    // Mode 1 only: leave alone a matched row that the local journal marks as
    // updated ("U"), so that the local update wins.
    bool CheckUpdated = false;
    // Mode 1 with CheckUpdated: the local journal already read into memory.
    // When set, the test looks the code up there instead of asking the
    // server once per matched row.
    const Journal* LocalJournal = nullptr;
    // Called every kProgressStep rows moved, with the count so far, so that a
    // front end can show a large table's progress.
    std::function<void(int64_t)> OnRows;
    static constexpr int64_t kProgressStep = 5000;

    // Rows appended or overwritten by the last Transfer.
    int64_t Moved = 0;
    // Rows of mode 1 found in the target but left alone by the journal test.
    int64_t KeptLocal = 0;
    // Rows of mode 1 with no target row of the same record code (skipped).
    int64_t NotFound = 0;

    // Moves the rows. Fields are paired by name. Any error ends the transfer
    // at once; the failing target record stays in insert or edit state so it
    // can be shown. A row that mode 0 cannot write is named in the error: the
    // table, the column when it can be told, and the row's key, before the
    // server's own text.
    void Transfer();

    // Key lists are field names joined by ";" without blanks.
    // Number of names: the number of ";" plus one.
    static int CountNames(const std::string& list);
    // The k-th name, counting from 1 ("" when the list has fewer names).
    static std::string GetName(const std::string& list, int k);

private:
    void appendAll();
    void updateMatching();
    void countMoved();

    DM& dm_;
};

}  // namespace quorvel::synchro
