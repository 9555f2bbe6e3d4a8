// Allowed: the engine talks to the Firebird client.
#include <firebird/Interface.h>
#include <ibase.h>
