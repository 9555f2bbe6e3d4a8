#include "synchro/ArrivalRules.h"

#include <algorithm>

namespace quorvel::synchro {

using replica::JournalEntry;
using replica::RecordCode;

namespace {

// Whether a change made having seen fill `seen` came after the change first
// carried by fill `first` (an unknown number never counts as seen).
bool sawIt(const std::optional<int64_t>& seen, const std::optional<int64_t>& first) {
    return seen && first && *seen >= *first;
}

}  // namespace

bool ArrivalRules::carriedBefore(const JournalEntry& theirs) const {
    return before_ && theirs.first && *theirs.first <= before_->lastRead;
}

// Whether the sender had read the fill that first carried this site's own
// entry (not carried yet: never).
bool ArrivalRules::answered(const JournalEntry& mine) const {
    return before_ && mine.first && *mine.first <= before_->answered;
}

// A row deleted here (`gone`, the local "D" entry) that the sender kept.
bool ArrivalRules::keptBySender(const JournalEntry& gone, const JournalEntry* theirs) const {
    if (!theirs) return false;
    if (master_) return sawIt(theirs->seen, gone.first);
    return !gone.origin && answered(gone);
}

bool ArrivalRules::rowPassedOver(const RecordCode& code) const {
    const JournalEntry* theirs = sent_.update(code);
    return settled_.passesOver(code, Settled::What::Row, theirs ? theirs->first : std::nullopt);
}

ArrivalRules::Held ArrivalRules::whenHeld(const RecordCode& code) const {
    if (rowPassedOver(code)) return Held::KeepLocal;
    const JournalEntry* theirs = sent_.update(code);
    const JournalEntry* local = local_.update(code);
    const JournalEntry* mine = local && !local->origin ? local : nullptr;
    if (!theirs) return mine ? Held::KeepLocal : Held::SentAgain;
    // A change the master took from an earlier fill of this sender (a fill
    // made again before the sender heard back) is the same change: taken
    // again, it would be passed on as a new one and outrank what other sites
    // did after it.
    if (master_ && carriedBefore(*theirs)) return Held::SentAgain;
    if (mine) {
        if (master_) {
            if (!sawIt(theirs->seen, mine->first)) return Held::KeepLocal;
        } else {
            if (theirs->origin && *theirs->origin == me_) return Held::OwnComingBack;
            if (sawIt(mine->seen, theirs->first)) return Held::KeepLocal;
            // Another clone's change, passed on before the master had this
            // one's: the master decides between them when it reads it.
            if (theirs->origin && *theirs->origin != 0 && !answered(*mine)) return Held::KeepLocal;
        }
    }
    return Held::Apply;
}

bool ArrivalRules::revivesWhenMissing(const RecordCode& code) const {
    if (rowPassedOver(code) || !sent_.keeping(code)) return false;
    if (const JournalEntry* gone = local_.deletion(code)) return keptBySender(*gone, sent_.update(code));
    return true;
}

bool ArrivalRules::changedSinceAnswered(const RecordCode& code) const {
    const JournalEntry* mine = local_.update(code);
    return mine && !mine->origin && !answered(*mine);
}

bool ArrivalRules::insertWhenMissing(const RecordCode& code) const {
    if (sent_.keeping(code)) return revivesWhenMissing(code);
    if (rowPassedOver(code) || local_.deleted(code)) return false;
    if (const JournalEntry* theirs = sent_.update(code)) return !carriedBefore(*theirs);
    return !before_ || !before_->mark || code > *before_->mark;
}

bool ArrivalRules::appliesDeletion(const RecordCode& code) const {
    const JournalEntry* theirs = sent_.deletion(code);
    if (!theirs || (!master_ && theirs->origin && *theirs->origin == me_)) return false;
    // Taken from an earlier fill already: the row may have been kept since.
    if (master_ && carriedBefore(*theirs)) return false;
    return !settled_.passesOver(code, Settled::What::Deletion, theirs->first);
}

ArrivalRules::Change ArrivalRules::change(const std::string& table, const RecordCode& code, bool replaces) {
    // The passes go table by table: the last one named is nearly always it.
    std::size_t at = tables_.size();
    if (at > 0 && tables_.back() == table) --at;
    else at = static_cast<std::size_t>(std::find(tables_.begin(), tables_.end(), table) - tables_.begin());
    if (at == tables_.size()) tables_.push_back(table);
    return {static_cast<uint16_t>(at), replaces, static_cast<int32_t>(code.high), static_cast<int32_t>(code.low)};
}

void ArrivalRules::applied(const std::string& table, const RecordCode& code) {
    if (!master_) return;
    relayedUpdates_.push_back(change(table, code, local_.updated(code)));
    if (sent_.keeping(code)) revived_.push_back(change(table, code, local_.keeping(code) != nullptr));
}

void ArrivalRules::appliedOverHeld(const std::string& table, const RecordCode& code) {
    const JournalEntry* local = local_.update(code);
    if (!master_ && local && !local->origin) overruled_.push_back(code);
    applied(table, code);
}

void ArrivalRules::deleted(const std::string& table, const RecordCode& code) {
    if (master_) relayedDeletes_.push_back(change(table, code, local_.deleted(code)));
}

}  // namespace quorvel::synchro
