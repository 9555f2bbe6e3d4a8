// Refused: an operation talking to the Firebird client directly.
#include <string>
#include "ibase.h"
