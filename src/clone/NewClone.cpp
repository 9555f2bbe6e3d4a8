// "New clone": registers a clone in the master's R$CLONE through the dialog
// "New CLONE ", then shows the new row in the clone list.
#include <exception>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "clone/Operations.h"
#include "engine/Transaction.h"
#include "prepare/SqlText.h"

namespace quorvel::clone {

namespace {

// A clone needs armed working tables: without them there is nothing to copy
// and no record codes to give the clone a range of. A refusal's text, or
// nothing when the master is armed.
std::optional<std::string> unarmedMaster(DM& dm, Frontend& ui) {
    const char* why = nullptr;
    try {
        if (dm.Q6Integer(sql::kCountWorkingTables) == 0)
            why = "There are no tables for cloning!";
        else if (dm.Q6Integer(sql::kCountReplicationTriggers) == 0)
            why = "There are no triggers for working tables!";
    } catch (const std::exception& e) {
        // Typically no meta structures in the connected database.
        ui.showMessage(e.what());
        return std::string(e.what());
    }
    if (!why) return std::nullopt;
    ui.showMessage(why);
    return std::string(why);
}

// A bound is written into R$CLONE as typed, so it must be an integer; the
// low word cannot exceed the largest low word of a record code, or the next
// clone's range would start beyond what a generator holds.
bool validBound(const std::string& text, bool lowWord) {
    if (!prepare::isIntegerText(text)) return false;
    return !lowWord || std::stoll(text) <= kMaxLowWord;
}

// A clone's codes start just after the bound of the row numbered one below
// it, so a bound at or below one registered already gives two sites the
// same record codes. Why the entry's bound does not rise above every
// registered one, or nothing when it does.
std::optional<std::string> boundNotAbove(DM& dm, const Frontend::CloneEntry& entry) {
    const std::pair<int64_t, int64_t> typed{std::stoll(entry.maxValue1), std::stoll(entry.maxValue2)};
    dm.Q6Show(sql::kHighestBound);
    std::optional<std::string> why;
    if (!dm.Q6.eof()) {
        const std::string name = dm.Q6.field(0).asString();
        const std::pair<int64_t, int64_t> highest{dm.Q6.field(1).asInteger(), dm.Q6.field(2).asInteger()};
        auto text = [](std::pair<int64_t, int64_t> b) {
            return "(" + std::to_string(b.first) + ", " + std::to_string(b.second) + ")";
        };
        if (typed <= highest)
            why = "The bound " + text(typed) + " is not above " + text(highest) + ", where the range of " + name +
                  " ends: a new clone's range must end above every registered one. Nothing was registered.";
    }
    dm.Q6.close();
    return why;
}

// What the dialog's OK does with an entry.
struct Registration {
    std::string refusedEdit;  // the dialog edit to correct ("" when none)
    Outcome outcome;
};

Registration registerEntry(DM& dm, Frontend& ui, const Frontend::CloneEntry& entry) {
    for (const auto& [text, edit, lowWord] : {std::tuple{&entry.maxValue1, "EditMaxValue1", false},
                                              std::tuple{&entry.maxValue2, "EditMaxValue2", true}}) {
        if (!validBound(*text, lowWord)) {
            ui.showMessage("Invalid number");
            return {edit, Outcome::refused("Invalid number")};
        }
    }
    try {
        engine::Transaction tx(dm.UserDB());
        if (auto why = boundNotAbove(dm, entry)) {
            ui.showMessage(*why);
            return {"EditMaxValue1", Outcome::refused(*why)};
        }
        int64_t number = dm.Q6Integer(sql::kMaxNumber) + 1;
        dm.Q6Exec(sql::insertClone(entry.name, number, entry.maxValue1, entry.maxValue2));
        tx.commit();
    } catch (const std::exception& e) {
        // A refused insert (a name already registered) is reported; the
        // dialog still closes, there is nothing to correct in the numbers.
        ui.showMessage(e.what());
        return {"", Outcome::failed(e.what())};
    }
    return {"", Outcome::done()};
}

std::string withoutTrailingBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// CHAR(31) names come back without their padding, so the typed name is
// compared the same way.
void moveToClone(DM& dm, const std::string& name) {
    const std::string wanted = withoutTrailingBlanks(name);
    dm.QClone.disableControls();
    try {
        dm.QClone.first();
        while (!dm.QClone.eof() && dm.QClone.fieldByName("Name").asString() != wanted) dm.QClone.next();
    } catch (...) {
        dm.QClone.enableControls();
        throw;
    }
    dm.QClone.enableControls();
}

// Shows the registered clone as the list's current row.
Outcome showRegistered(DM& dm, Frontend& ui, const std::string& name, Outcome registered) {
    try {
        dm.ReopenClone();
        moveToClone(dm, name);
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
        if (registered.isDone()) return Outcome::failed(e.what());
    }
    return registered;
}

}  // namespace

Outcome NewClone(DM& dm, Frontend& ui) {
    if (auto refusal = unarmedMaster(dm, ui)) return Outcome::refused(*refusal);

    std::string typedName;
    Outcome registered = Outcome::cancelled();
    bool ok = ui.cloneDialog([&](const Frontend::CloneEntry& entry) {
        typedName = entry.name;
        Registration r = registerEntry(dm, ui, entry);
        registered = r.outcome;
        return r.refusedEdit;
    });
    if (!ok) return Outcome::cancelled();
    return showRegistered(dm, ui, typedName, registered);
}

Outcome RegisterClone(DM& dm, Frontend& ui, const Frontend::CloneEntry& entry) {
    if (auto refusal = unarmedMaster(dm, ui)) return Outcome::refused(*refusal);
    Registration r = registerEntry(dm, ui, entry);
    if (!r.refusedEdit.empty()) return r.outcome;
    return showRegistered(dm, ui, entry.name, r.outcome);
}

std::optional<CloneRow> SelectedClone(DM& dm) {
    if (!dm.QClone.active() || dm.QClone.isEmpty()) return std::nullopt;
    return CloneRow{dm.QClone.fieldByName("Number").asInteger(), dm.QClone.fieldByName("Name").asString()};
}

}  // namespace quorvel::clone
