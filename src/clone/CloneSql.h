#pragma once
// The statements of the clone registry and of the clone update. Names and
// values go into the text by concatenation; text literals are written in
// double quotes (dialect 1) with any double quote inside doubled, so a name
// typed by the operator cannot end the literal early.
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::clone::sql {

inline const std::string kCountWorkingTables = "select count(*) from R$WorkingTables";
inline const std::string kCountReplicationTriggers =
    "select count(*) from RDB$Triggers where RDB$Trigger_Name starting with 'R$'";
inline const std::string kMaxNumber = "select max(Number) from R$Clone";
// The registered row whose range ends highest, the master's included.
inline const std::string kHighestBound =
    "select Name, MaxValue1, MaxValue2 from R$Clone where MaxValue1 is not null and MaxValue2 is not null "
    "order by MaxValue1 desc, MaxValue2 desc";

// maxValue1 and maxValue2 are the edits' texts as typed (already checked).
std::string insertClone(const std::string& name, int64_t number, const std::string& maxValue1,
                        const std::string& maxValue2);
// A clone deleted is retired, not forgotten: its row keeps its number and
// range, which are never given out again, under the name "~NUMBER NAME"
// (ME = 'R'), and the name is free for a new incarnation.
std::string retiredName(int64_t number, const std::string& name);
std::string retireClone(const std::string& name, int64_t number);
// ME of the master's row of a clone: 'Y' this database, 'N' or NULL
// registered, 'C' a copy has been updated as this clone, 'R' retired.
std::string meOf(const std::string& name);
std::string markCopied(const std::string& name);

std::string previousBound(int64_t previousNumber);
std::string setGenerator(const std::string& generator, int64_t value);
inline const std::string kMasterIsNotMe = "update R$CLONE set ME = 'N' where Name = 'MASTER'";
std::string cloneIsMe(const std::string& name);
std::string countCloneRows(const std::string& name);
std::string numberOf(const std::string& name);

inline const std::string kLastSynchroNumber = "select max(SynchroNumber) from R$SYNCHRO";
// A history row: its number, its "YYYY-MM-DD" date and the record code it marks.
std::string insertMark(int64_t number, const std::string& date, int64_t code1, int64_t code2);

// The offset column is GENOFFSET: OFFSET is a reserved word of the server
// and dialect 1 cannot quote it.
std::string offsetOf(const std::string& generator);
inline const std::string kRunUpdate = "select * from R$Update";
inline const std::string kCountUpdateProcedures =
    "select count(*) from rdb$procedures where rdb$procedure_name = 'R$UPDATE'";

}  // namespace quorvel::clone::sql
