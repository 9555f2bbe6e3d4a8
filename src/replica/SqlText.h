#pragma once
// The quoting of what goes into the statements built by concatenation: the
// one way to write a text as a literal and a name as the catalogue keeps it.
#include <optional>
#include <string>
#include <vector>

namespace quorvel::engine { class Database; }

namespace quorvel::replica {

// A string literal in single quotes, which both dialects read as text (in
// dialect 3 double quotes make a name). A single quote inside the value is
// doubled, so a name or a typed text cannot close the literal early.
std::string quoted(const std::string& value);

// True when `text` is a whole integer of `bits` (32 or 64), optionally signed,
// with blanks allowed before and after it. Used for the MaxValue edits and the
// generator offset, whose texts are then written into statements as typed.
bool isIntegerText(const std::string& text, int bits = 32);

// A name as the catalogue keeps it: unquoted names are stored in upper case.
std::string catalogueName(std::string name);
// A name as the catalogue of `db` keeps it: upper case in dialect 1; in
// dialect 3 a name is exact (a quoted "OrderLine" stays as it is).
std::string catalogueName(const engine::Database& db, const std::string& name);

// A plain SQL name, which needs no quotes in either dialect: letters, digits,
// '_' and '$', a letter first, at most 31; in capitals. None for any other.
std::optional<std::string> plainName(const std::string& typed);

// Splits a statement text at line breaks, for placing it into a query line by
// line.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace quorvel::replica
