#pragma once
// The two states of the working tables' triggers (on for normal work, off
// around a read) and the switches between them.
//
// A switch is one transaction, so a run that stops at any moment, even
// killed, leaves every trigger as before or every trigger as after. R$Trig
// cannot be part of that: the server writes a generator while it commits, so
// a commit cut short can leave the new value behind a rolled-back switch. R$Trig
// is therefore set after the switch, and the state is read from the triggers
// themselves wherever a switch must not go wrong; a run that finds R$Trig
// behind them puts it right first.
#include <cstdint>
#include <functional>

#include "engine/Database.h"

namespace quorvel::replica {

// R$Trig as the database holds it: 0 while the triggers are on, anything else
// while they are off.
int64_t TriggerState(engine::Database& db);

// Whether the triggers are off, as the triggers show it: those of the working
// tables that the user had on (the ones not recorded in R$INACTIVETRIGGERS)
// are all off. Without such triggers a switch changes nothing, and R$Trig
// alone tells. This is the one answer to "are the triggers on?": the
// exchange asks it before a read too.
bool TriggersInactive(engine::Database& db);

// Whether a "Recreate triggers" was stopped midway (Ctrl+C, kill, a crash)
// while it numbered the rows: it had dropped every tool trigger and added
// the code columns, then switched the user's triggers off around the
// numbering. So the triggers are off, the working tables have code columns
// and there is no tool trigger at all; a read's switch leaves the tool's
// triggers in place. Running the arming again finishes the job.
bool ArmingInterrupted(engine::Database& db);

// Sets R$Trig to what the triggers show, when a switch was stopped between its
// commit and the setting of R$Trig. Returns whether the triggers are off.
bool SettleTriggerState(engine::Database& db);

// Called once with the number of triggers to switch, then after each switch
// with the number done so far.
struct SwitchProgress {
    std::function<void(int)> listed = [](int) {};
    std::function<void(int)> switched = [](int) {};
};

// Records the user's inactive triggers in R$INACTIVETRIGGERS (never one of the
// tool's: an R$ trigger found off was switched off by the tool, not the user),
// then switches every trigger of the working tables off, then sets R$Trig to
// 1. Throws on a database error, with the triggers as they were.
void SwitchTriggersOff(engine::Database& db, const SwitchProgress& progress = {});

// Switches on what R$ACTIVETRIGGERS lists, then sets R$Trig to 0. Throws on a
// database error, with the triggers as they were.
void SwitchTriggersOn(engine::Database& db, const SwitchProgress& progress = {});

}  // namespace quorvel::replica
