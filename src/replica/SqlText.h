#pragma once
// The quoting of what goes into the statements built by concatenation: the
// one way to write a text as a literal and a name as the catalogue keeps it.
#include <string>
#include <vector>

namespace quorvel::replica {

// A dialect-1 string literal in double quotes. A double quote inside the
// value is doubled, so a name or a typed text cannot close the literal early.
std::string quoted(const std::string& value);

// True when `text` is a whole 32-bit integer, optionally signed, with blanks
// allowed before and after it. Used for the MaxValue edits and the generator
// offset, whose texts are then written into statements as typed.
bool isIntegerText(const std::string& text);

// A name as the catalogue keeps it: unquoted names are stored in upper case.
std::string catalogueName(std::string name);

// Splits a statement text at line breaks, for placing it into a query line by
// line.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace quorvel::replica
