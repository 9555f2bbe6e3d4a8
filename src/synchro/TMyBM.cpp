#include "synchro/TMyBM.h"

#include <optional>
#include <vector>

#include "engine/Error.h"
#include "synchro/FieldPairs.h"
#include "synchro/Journal.h"
#include "synchro/JournalTest.h"
#include "synchro/RowFailure.h"
#include "synchro/StreamingSource.h"

namespace quorvel::synchro {

TMyBM::TMyBM(DM& dm) : dm_(dm) {}

int TMyBM::CountNames(const std::string& list) {
    int n = 1;
    for (char c : list)
        if (c == ';') ++n;
    return n;
}

std::string TMyBM::GetName(const std::string& list, int k) {
    std::size_t start = 0;
    for (int skipped = 1; skipped < k; ++skipped) {
        std::size_t sep = list.find(';', start);
        if (sep == std::string::npos) return {};
        start = sep + 1;
    }
    std::size_t end = list.find(';', start);
    return list.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void TMyBM::Transfer() {
    if (!Source || !Target) throw engine::DbError("Transfer needs a source and a target");
    if (Mode > 1) throw engine::DbError("Unknown transfer mode " + std::to_string(Mode));

    Moved = 0;
    KeptLocal = 0;
    NotFound = 0;
    const StreamingSource streaming(*Source);
    Source->close();
    Source->open();
    Target->close();
    Target->open();
    Source->first();

    if (Mode == 0) appendAll();
    else updateMatching();
}

void TMyBM::appendAll() {
    if (Source->eof()) return;
    const FieldPairs pairs(*Source, *Target);
    for (; !Source->eof(); Source->next()) {
        Target->append();
        try {
            pairs.copyRow();
            Target->post();
        } catch (const engine::DbError& e) {
            throw engine::DbError(rowFailure(e.what(), *Source, *Target, pairs), e.sqlCode(), e.gdsCode(), e.failure());
        }
        countMoved();
    }
}

// A row is found by its record code, not by its primary key: the key may be
// what the sender changed.
void TMyBM::updateMatching() {
    if (Source->eof()) return;
    const FieldPairs pairs(*Source, *Target);
    const engine::Field* code1 = Source->findField("R$CODE1");
    const engine::Field* code2 = Source->findField("R$CODE2");
    if (!code1 || !code2 || !Target->findField("R$CODE1") || !Target->findField("R$CODE2"))
        throw engine::DbError("Table " + Target->tableName() +
                              " has no record code (R$Code1, R$Code2) on both sides: its rows cannot be found "
                              "for update");
    static const std::string kCodeFields = "R$CODE1;R$CODE2";
    std::vector<engine::Value> code(2);

    // Resolved on the first matched row only, as the test is made only there.
    std::optional<JournalTest> journal;

    for (; !Source->eof(); Source->next()) {
        code[0] = code1->asValue();
        code[1] = code2->asValue();
        if (!Target->locate(kCodeFields, code)) {
            ++NotFound;
            continue;
        }
        if (CheckUpdated) {
            bool updatedHere;
            if (LocalJournal) {
                updatedHere = LocalJournal->updated({code1->asInteger(), code2->asInteger()});
            } else {
                if (!journal) journal.emplace(dm_.UserDB());
                updatedHere = !journal->notUpdatedLocally(code[0], code[1]);
            }
            if (updatedHere) {
                ++KeptLocal;
                continue;
            }
        }
        Target->edit();
        pairs.copyRow();
        Target->post();
        countMoved();
    }
}

void TMyBM::countMoved() {
    ++Moved;
    if (OnRows && Moved % kProgressStep == 0) OnRows(Moved);
}

}  // namespace quorvel::synchro
