#pragma once
// Today's date as "YYYY-MM-DD": the form of every date the tool writes into
// R$SYNCHRO, the one the server reads the same under every locale.
#include <string>

namespace quorvel {

std::string todayText();

}  // namespace quorvel
