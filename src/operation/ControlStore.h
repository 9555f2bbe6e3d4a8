#pragma once
// Frontend state kept in plain maps: the initial captions and states of the
// main window's named controls. The command-line tool and the tests' fake
// build on it; the Qt window keeps the same state in its widgets.
#include <map>
#include <string>

#include "operation/Frontend.h"
#include "operation/StatusState.h"

namespace quorvel {

class ControlStore : public Frontend {
public:
    ControlStore() { reset(); }

    void reset() {
        texts_.clear();
        enabled_.clear();
        visible_.clear();
        progress_.clear();
        // Initial state of the controls the operations read or change.
        for (const char* l : {"LAlias", "LMaster", "LCloneName", "LSynchro1", "LSynchro2",
                              "LFillAction", "LSAction", "EditSource", "EditTarget"})
            texts_[l] = "?";
        texts_["LPrepare"] = "Status";
        texts_["LAction"] = "Action";
        texts_["EditMaxValue1"] = "0";
        texts_["EditMaxValue2"] = "2000000000";
        for (const char* b : {"SBUpdateCloneGens", "SBFillSynchro", "SBSuccess", "SBInactiveTriggers",
                              "SBReadFromSynchro", "SBActiveTriggers"})
            enabled_[b] = false;
        for (const char* h : {"LAction", "PBar", "PBTrigger"}) visible_[h] = false;
        panels_[0] = status_.text();
        panels_[1] = "  ";
    }

    void setWorking() override { status_.setWorking(); panels_[0] = status_.text(); }
    void setOK() override { status_.setOK(); panels_[0] = status_.text(); }
    void setError() override { status_.setError(); panels_[0] = status_.text(); }
    const StatusState& status() const { return status_; }

    void setText(const std::string& c, const std::string& t) override { texts_[c] = t; }
    std::string text(const std::string& c) const override {
        auto it = texts_.find(c);
        return it == texts_.end() ? std::string() : it->second;
    }
    void setEnabled(const std::string& c, bool e) override { enabled_[c] = e; }
    bool isEnabled(const std::string& c) const override {
        auto it = enabled_.find(c);
        return it == enabled_.end() ? true : it->second;
    }
    void setVisible(const std::string& c, bool v) override { visible_[c] = v; }
    bool isVisible(const std::string& c) const override {
        auto it = visible_.find(c);
        return it == visible_.end() ? true : it->second;
    }
    void setProgress(const std::string& c, int p) override { progress_[c] = p; }
    int progress(const std::string& c) const override {
        auto it = progress_.find(c);
        return it == progress_.end() ? 0 : it->second;
    }
    void focusAndSelectAll(const std::string& c) override { focused_ = c; }
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
