#pragma once
// The window's controls kept in plain maps, with their first captions and
// states: the tests' scripted front end builds on it, where the Qt window
// keeps the same state in its widgets.
#include <map>
#include <string>

#include "app/Frontend.h"
#include "app/StatusState.h"

namespace quorvel {

class ControlStore : public Frontend {
public:
    using Frontend::progress;
    ControlStore() { reset(); }

    void reset() {
        texts_.clear();
        enabled_.clear();
        visible_.clear();
        progress_.clear();
        // Initial state of the controls the operations read or change (set
        // here directly: a subclass recording what is shown has not started).
        using namespace ctl;
        for (Control l : {LAlias, LMaster, LCloneName, LSynchro1, LSynchro2, LFillAction, LSAction,
                          EditSource, EditTarget})
            texts_[l.str()] = "?";
        texts_[LPrepare.str()] = "Status";
        texts_[LAction.str()] = "Action";
        texts_[EditMaxValue1.str()] = "0";
        texts_[EditMaxValue2.str()] = "2000000000";
        for (Control b : {SBUpdateCloneGens, SBFillSynchro, SBSuccess, SBInactiveTriggers,
                          SBReadFromSynchro, SBActiveTriggers, SBDropDeleteEntry, SBPassOverSynchroRow})
            enabled_[b.str()] = false;
        texts_[LCollisionTable.str()] = "";
        for (Control h : {LAction, PBar, PBTrigger}) visible_[h.str()] = false;
        panels_[0] = status_.text();
        panels_[1] = "  ";
    }

    void setWorking() override { status_.setWorking(); panels_[0] = status_.text(); }
    void setOK() override { status_.setOK(); panels_[0] = status_.text(); }
    void setError() override { status_.setError(); panels_[0] = status_.text(); }
    const StatusState& status() const { return status_; }

    void setText(ctl::Control c, const std::string& t) override { texts_[c.str()] = t; }
    std::string text(ctl::Control c) const override {
        auto it = texts_.find(c.str());
        return it == texts_.end() ? std::string() : it->second;
    }
    void setEnabled(ctl::Control c, bool e) override { enabled_[c.str()] = e; }
    bool isEnabled(ctl::Control c) const override {
        auto it = enabled_.find(c.str());
        return it == enabled_.end() ? true : it->second;
    }
    void setVisible(ctl::Control c, bool v) override { visible_[c.str()] = v; }
    bool isVisible(ctl::Control c) const override {
        auto it = visible_.find(c.str());
        return it == visible_.end() ? true : it->second;
    }
    void setProgress(ctl::Control c, int p) override { progress_[c.str()] = p; }
    int progress(ctl::Control c) const override {
        auto it = progress_.find(c.str());
        return it == progress_.end() ? 0 : it->second;
    }
    void focusAndSelectAll(ctl::Control c) override { focused_ = c.str(); }
    const std::string& focused() const { return focused_; }
    void setStatusPanel(int panel, const std::string& t) override { panels_[panel] = t; }
    std::string statusPanel(int panel) const {
        auto it = panels_.find(panel);
        return it == panels_.end() ? std::string() : it->second;
    }
    void processEvents() override {}

protected:
    StatusState status_;
    std::map<std::string, std::string> texts_;
    std::map<std::string, bool> enabled_;
    std::map<std::string, bool> visible_;
    std::map<std::string, int> progress_;
    std::map<int, std::string> panels_;
    std::string focused_;
};

}  // namespace quorvel
