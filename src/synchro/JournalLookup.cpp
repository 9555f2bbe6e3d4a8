#include "synchro/JournalLookup.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {
const char* const kUpdatedCodes = "select R$Code1, R$Code2 from R$DeletedUpdated where Operation = 'U'";
}

JournalLookup::JournalLookup(engine::Database& local) : local_(local) {}

JournalLookup::~JournalLookup() = default;

// The codes are read once, on first use, in the caller's transaction: one
// query for a whole transfer instead of one per row.
bool JournalLookup::updatedHere(const RecordCode& code) {
    if (!updated_) {
        std::unordered_set<RecordCode, replica::RecordCodeHash> codes;
        engine::Query q(local_);
        q.setName("JournalLookup");
        q.setUnidirectional(true);
        q.setSql(kUpdatedCodes);
        q.open();
        for (; !q.eof(); q.next()) codes.insert({q.field(0).asInteger(), q.field(1).asInteger()});
        updated_ = std::move(codes);
    }
    return updated_->count(code) != 0;
}

}  // namespace quorvel::synchro
