#pragma once
// One spelling for a table name, whichever way an extract writes it, so that
// a name from the extract can be compared with the catalogue's exactly.
#include <string>
#include <string_view>

namespace quorvel::ddl {

// The name as the catalogue keeps it. A quoted name ("OrderLine",
// "QUOTE""D") is exact: the quotes go, a doubled quote inside becomes one,
// the case stays. An unquoted name (orderline) is upper case. Trailing
// blanks never count, as in the catalogue's CHAR(31) names. So "OrderLine"
// and ORDERLINE are two different tables, while orderline and ORDERLINE
// are the same one.
std::string NormalName(std::string_view written);

}  // namespace quorvel::ddl
