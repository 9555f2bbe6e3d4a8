#pragma once
// What a read does with each change that arrives from a peer, by the two
// journals: the sender's (what it carries) and the local one. The rules keep
// every site converging whatever order fills are read in, however often one
// is filled, and whichever files are lost:
// - at the master, a clone's entry first carried by a fill it read already
//   is not applied again: resent until acknowledged, it is the change the
//   master took then, and taken again it would be passed on as a new one,
//   outranking what other sites did after it;
// - a row that arrives without an update entry is an insert sent again: held
//   already, it is left as it is; one deleted here stays deleted, and so does
//   one that reached this site before (a settled collision);
// - at the master, its own update wins over a clone's only when the two were
//   concurrent: a clone's update made after it had read a master fill carrying
//   the master's version is applied;
// - at a clone, its own update stands against its own change coming back,
//   against a sender that did not change the row, against a master version
//   it had read before it changed the row, and against another clone's
//   change the master passed on before it had read this clone's own: the
//   master ranks the two when it reads this clone's change, in the order it
//   reads them, and an edit made after that would be lost here; otherwise
//   the master's side wins and the clone's entry goes;
// - a row deleted here comes back when its sender kept it on purpose: at the
//   master, a clone changed it having read the fill that carried the delete
//   (it settled the delete that way); at a clone, the master sends it after
//   it had read this clone's delete;
// - what the operator settled here (Settled) is passed over;
// - the master journals what it applies from a clone with that clone's
//   number as origin, and its fills pass it on to the other clones.
#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "replica/Journal.h"
#include "replica/RecordCode.h"
#include "synchro/Settled.h"

namespace quorvel::synchro {

class ArrivalRules {
public:
    // What this site has had of the sender before: the last of its fills
    // read here, and the sender's mark at that fill when the file tells it;
    // and what the sender had of this site: the last of this site's fills it
    // had read when it filled.
    struct ReadBefore {
        int64_t lastRead = 0;
        std::optional<replica::RecordCode> mark;
        int64_t answered = 0;
    };
    ArrivalRules(bool master, int64_t me, int64_t sender, const replica::Journal& local,
                 const replica::Journal& sent, std::optional<ReadBefore> before, Settled settled = {})
        : master_(master), me_(me), sender_(sender), local_(local), sent_(sent), before_(before),
          settled_(std::move(settled)) {}

    enum class Held { Apply, KeepLocal, SentAgain, OwnComingBack };
    // For a row of the synchro database that the reader holds (same code).
    // Changes nothing: a transfer may ask before it knows the row is held.
    Held whenHeld(const replica::RecordCode& code) const;
    // For a row the reader does not hold: false when it was deleted here, or
    // when it reached this site before (an entry or a row of a fill read here
    // already) and is gone since.
    bool insertWhenMissing(const replica::RecordCode& code) const;
    // For a row kept against a delete (a "K" entry) that the reader does not
    // hold: whether to take it back.
    bool revivesWhenMissing(const replica::RecordCode& code) const;
    // At a clone: whether its own update of `code` was made after the last
    // of its fills the master had read when it filled.
    bool changedSinceAnswered(const replica::RecordCode& code) const;
    // Whether the sender's "D" entry for `code` is to be applied here.
    bool appliesDeletion(const replica::RecordCode& code) const;

    // What the read applied, for the journal to record after the passes.
    void applied(const std::string& table, const replica::RecordCode& code);
    // A held row overwritten as `whenHeld` said: at a clone, its own update
    // entry for it is overruled by the master's side.
    void appliedOverHeld(const std::string& table, const replica::RecordCode& code);
    void deleted(const std::string& table, const replica::RecordCode& code);

    // A read at the master may pass on a million changes: each is held in
    // twelve bytes, its table by its place among the read's tables.
    struct Change {
        uint16_t table;  // tableOf() names it
        bool replaces;   // the local journal has an entry of that operation for the code
        int32_t high, low;  // the code's words (the code columns are INTEGER)
        replica::RecordCode code() const { return {high, low}; }
    };
    const std::string& tableOf(const Change& c) const { return tables_[c.table]; }
    // At the master: the changes to journal with the sender as origin.
    const std::vector<Change>& relayedUpdates() const { return relayedUpdates_; }
    const std::vector<Change>& relayedDeletes() const { return relayedDeletes_; }
    // At a clone: its own update entries that the master's side won over.
    const std::vector<replica::RecordCode>& overruled() const { return overruled_; }
    // At the master: rows a clone kept against a delete, to pass on as kept
    // (a "D" entry of them here goes).
    const std::vector<Change>& revived() const { return revived_; }
    int64_t sender() const { return sender_; }

private:
    bool master_;
    int64_t me_, sender_;
    const replica::Journal& local_;
    const replica::Journal& sent_;
    std::optional<ReadBefore> before_;
    Settled settled_;

    bool carriedBefore(const replica::JournalEntry& theirs) const;
    bool answered(const replica::JournalEntry& mine) const;
    bool keptBySender(const replica::JournalEntry& gone, const replica::JournalEntry* theirs) const;
    bool rowPassedOver(const replica::RecordCode& code) const;
    Change change(const std::string& table, const replica::RecordCode& code, bool replaces);
    std::vector<std::string> tables_;
    std::vector<Change> relayedUpdates_, relayedDeletes_, revived_;
    std::vector<replica::RecordCode> overruled_;
};

}  // namespace quorvel::synchro
