#pragma once
// What a read or a settled collision writes into the local journal and
// rows itself, in a transaction the tool's triggers pass over: an entry, the
// update entries of a code that goes, a row given another record code.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

// A journal entry of this site's own; `seen` none writes NULL.
void journalEntry(engine::Database& local, const std::string& table, const replica::RecordCode& code,
                  char operation, std::optional<int64_t> seen);
// The update entries of `code`.
void dropUpdateEntries(engine::Database& local, const replica::RecordCode& code);
// The row of `table` coded `from` takes the code `to`.
void recode(engine::Database& local, const std::string& table, const replica::RecordCode& from,
            const replica::RecordCode& to);

}  // namespace quorvel::synchro
