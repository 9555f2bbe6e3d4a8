#pragma once
// The integer check of the new-clone dialog's number edits.
#include <string>

namespace quorvel::clone {

// True when `text` reads as a signed 32-bit integer: optional leading blanks,
// an optional sign, decimal digits and nothing after them. The text itself
// (leading blanks included) is what goes into the statement, so only forms
// that the server reads as the same number pass.
bool isTypedInteger(const std::string& text);

}  // namespace quorvel::clone
