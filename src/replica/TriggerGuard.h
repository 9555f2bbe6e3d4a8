#pragma once
// The guard of an application's own trigger: its body wrapped in a test of
// the read's transaction, so that it does nothing for the rows a read applies
// (they were stamped, keyed and audited at the site they come from) and stays
// as it was for every user's own work. Text only; the declarations stay in
// place, so the body still sees them.
#include <optional>
#include <string>
#include <vector>

namespace quorvel::replica {

// `source` as the catalogue keeps it (RDB$Trigger_Source, from "AS" on) with
// its body wrapped; nullopt when no body is found (a text this scanner does
// not understand is left alone, never half-changed).
std::optional<std::string> guardedSource(const std::string& source);
// The text `guardedSource` was given, when `source` carries its guard.
std::optional<std::string> unguardedSource(const std::string& source);
// True when the trigger tests the read itself, by our guard or by hand.
bool testsTheRead(const std::string& source);

// The NEW columns the trigger's body assigns ("NEW.ID = ..."), in order, each
// once; and the generators it draws (GEN_ID(G, ...), NEXT VALUE FOR G).
struct TriggerWrites {
    std::vector<std::string> newColumns;
    std::vector<std::string> generators;
};
TriggerWrites writesOf(const std::string& source);

}  // namespace quorvel::replica
