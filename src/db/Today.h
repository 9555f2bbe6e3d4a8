#pragma once
// Dates as the tool writes them, in the form the server reads the same under
// every locale: "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" (local time).
#include <string>

namespace quorvel {

std::string todayText();
// The moment of a fill, a read or a registration, to the second: what the
// history and the sites list show.
std::string nowText();

}  // namespace quorvel
