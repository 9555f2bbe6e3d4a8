#include "synchro/TMyBM.h"

#include <optional>
#include <vector>

#include "engine/Error.h"
#include "synchro/FieldPairs.h"
#include "synchro/Journal.h"
#include "synchro/JournalTest.h"
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
        pairs.copyRow();
        Target->post();
        countMoved();
    }
}

void TMyBM::updateMatching() {
    const std::string keyList = Target->primaryKeyFields();
    if (keyList.empty())
        throw engine::DbError("Table " + Target->tableName() +
                              " has no primary key: its rows cannot be found for update");
    if (Source->eof()) return;

    const FieldPairs pairs(*Source, *Target);
    const int n = CountNames(keyList);
    std::vector<const engine::Field*> keyFields;
    keyFields.reserve(n);
    for (int k = 1; k <= n; ++k) keyFields.push_back(&Source->fieldByName(GetName(keyList, k)));
    std::vector<engine::Value> keyValues(n);

    // Resolved on the first matched row only, as the test is made only there.
    std::optional<JournalTest> journal;
    const engine::Field* code1 = nullptr;
    const engine::Field* code2 = nullptr;

    for (; !Source->eof(); Source->next()) {
        for (int k = 0; k < n; ++k) keyValues[k] = keyFields[k]->asValue();
        const bool found = n == 1 ? Target->locate(keyList, keyValues[0])
                                  : Target->locate(keyList, keyValues);
        if (!found) {
            ++NotFound;
            continue;
        }
        if (CheckUpdated) {
            if (!code1) {
                code1 = &Source->fieldByName("R$Code1");
                code2 = &Source->fieldByName("R$Code2");
            }
            bool updatedHere;
            if (LocalJournal) {
                updatedHere = LocalJournal->updated({code1->asInteger(), code2->asInteger()});
            } else {
                if (!journal) journal.emplace(dm_.UserDB());
                updatedHere = !journal->notUpdatedLocally(code1->asValue(), code2->asValue());
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
