#pragma once
// The main window's controls that operations and front ends address, by their
// component name (the Qt objectName). A front end takes a ctl::Control, which
// is only made at compile time from a name on the list below: a misspelt name
// fails to compile instead of being passed over at run time.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::ctl {

namespace detail {

inline constexpr std::string_view kNames[] = {
    // Top bar and captions of the pages.
    "LAlias", "LMaster", "LCloneName", "LSynchro1", "LSynchro2",
    // "Add meta structures to Master DB".
    "LPrepare", "LAction", "PBar", "EditMaxValue1", "EditMaxValue2", "SBCreateMeta", "SBEraseMeta",
    // "Create Synchro DB".
    "EditSource", "EditTarget",
    // "Cloning".
    "SBUpdateCloneGens", "SBDelClone",
    // "Fill SYNCHRO".
    "LFillAction", "SBFillSynchro", "SBSuccess", "SBDelSynchro", "LPeers", "SBExchangePackages",
    // "Read from SYNCHRO".
    "LSAction", "PBTrigger", "SBInactiveTriggers", "SBReadFromSynchro", "SBActiveTriggers", "SBGuardTriggers",
    "SBCopyNaturalKey", "MClone",
    // "Collision resolving".
    "LCollisionTable", "SBDropDeleteEntry", "SBPassOverSynchroRow",
    // Pages.
    "TSPrepare", "TSClone", "TSFillSynchro", "TSSynchronize", "TSReadSynchro", "TSCollision",
};

consteval bool known(std::string_view name) {
    for (std::string_view k : kNames)
        if (k == name) return true;
    return false;
}

}  // namespace detail

class Control {
public:
    // Immediate: evaluated while compiling, so an unknown name is an error
    // there ("not a constant expression"), never a silent no-op later.
    consteval Control(const char* name) : name_(name) {
        if (!detail::known(name)) throw "not a control of the main window";
    }
    // The listed control of that name, for a name known only at run time (a
    // test walking a front end's state); nullopt for any other name.
    static std::optional<Control> named(std::string_view name) {
        for (std::string_view k : detail::kNames)
            if (k == name) return Control(Listed{}, k.data());
        return std::nullopt;
    }
    static std::vector<Control> all() {
        std::vector<Control> controls;
        for (std::string_view k : detail::kNames) controls.push_back(Control(Listed{}, k.data()));
        return controls;
    }

    constexpr const char* name() const { return name_; }
    std::string str() const { return name_; }
    friend constexpr bool operator==(Control a, Control b) {
        return std::string_view(a.name_) == std::string_view(b.name_);
    }

private:
    struct Listed {};
    constexpr Control(Listed, const char* name) : name_(name) {}
    const char* name_;
};

inline constexpr Control LAlias = "LAlias";
inline constexpr Control LMaster = "LMaster";
inline constexpr Control LCloneName = "LCloneName";
inline constexpr Control LSynchro1 = "LSynchro1";
inline constexpr Control LSynchro2 = "LSynchro2";
inline constexpr Control LPrepare = "LPrepare";
inline constexpr Control LAction = "LAction";
inline constexpr Control PBar = "PBar";
inline constexpr Control EditMaxValue1 = "EditMaxValue1";
inline constexpr Control EditMaxValue2 = "EditMaxValue2";
inline constexpr Control SBCreateMeta = "SBCreateMeta";
inline constexpr Control SBEraseMeta = "SBEraseMeta";
inline constexpr Control EditSource = "EditSource";
inline constexpr Control EditTarget = "EditTarget";
inline constexpr Control SBUpdateCloneGens = "SBUpdateCloneGens";
inline constexpr Control SBDelClone = "SBDelClone";
inline constexpr Control LFillAction = "LFillAction";
inline constexpr Control SBFillSynchro = "SBFillSynchro";
inline constexpr Control SBSuccess = "SBSuccess";
inline constexpr Control SBExchangePackages = "SBExchangePackages";
inline constexpr Control SBDelSynchro = "SBDelSynchro";
inline constexpr Control LPeers = "LPeers";
inline constexpr Control LSAction = "LSAction";
inline constexpr Control PBTrigger = "PBTrigger";
inline constexpr Control SBInactiveTriggers = "SBInactiveTriggers";
inline constexpr Control SBReadFromSynchro = "SBReadFromSynchro";
inline constexpr Control SBActiveTriggers = "SBActiveTriggers";
inline constexpr Control SBGuardTriggers = "SBGuardTriggers";
inline constexpr Control SBCopyNaturalKey = "SBCopyNaturalKey";
inline constexpr Control MClone = "MClone";
inline constexpr Control LCollisionTable = "LCollisionTable";
inline constexpr Control SBDropDeleteEntry = "SBDropDeleteEntry";
inline constexpr Control SBPassOverSynchroRow = "SBPassOverSynchroRow";
inline constexpr Control TSPrepare = "TSPrepare";
inline constexpr Control TSClone = "TSClone";
inline constexpr Control TSFillSynchro = "TSFillSynchro";
inline constexpr Control TSSynchronize = "TSSynchronize";
inline constexpr Control TSReadSynchro = "TSReadSynchro";
inline constexpr Control TSCollision = "TSCollision";

}  // namespace quorvel::ctl
