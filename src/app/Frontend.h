#pragma once
// The main window as its handlers and its tests see it: status faces,
// message boxes, named controls. The Qt window implements it, and the tests'
// scripted fake stands in for it; operations see only its Reporter side.
//
// Controls are addressed by their component name (the Qt objectName), one of
// the names of app/Controls.h, e.g. ctl::LAction, ctl::PBar.
#include <functional>
#include <optional>
#include <string>

#include "app/Controls.h"
#include "operation/Reporter.h"

namespace quorvel {

class Frontend : public Reporter {
public:
    virtual ~Frontend() = default;

    // The reporter's words, in the window's terms, for the operations that
    // still address the window's controls: a notice and an error are plain
    // message boxes, a breath repaints. Steps and progress go where the
    // window's handler says for the operation it started.
    void notice(const std::string& text) override { showMessage(text); }
    void error(const std::string& text) override { showMessage(text); }
    void breathe() override { processEvents(); }
    void rows(const std::string& table, long long count) override { rowsProgress(table, count); }
    using Reporter::progress;

    // Status operations of the main window.
    virtual void setWorking() = 0;
    virtual void setOK() = 0;
    virtual void setError() = 0;

    // Plain message box with the text alone.
    virtual void showMessage(const std::string& text) = 0;
    // Yes/No confirmation; true only for Yes.
    virtual bool confirm(const std::string& question) = 0;
    // Input box; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultText) = 0;

    // Named controls.
    virtual void setText(ctl::Control control, const std::string& text) = 0;
    virtual std::string text(ctl::Control control) const = 0;
    virtual void setEnabled(ctl::Control control, bool enabled) = 0;
    virtual bool isEnabled(ctl::Control control) const = 0;
    virtual void setVisible(ctl::Control control, bool visible) = 0;
    virtual bool isVisible(ctl::Control control) const = 0;
    // Progress bars ("PBar", "PBTrigger").
    virtual void setProgress(ctl::Control control, int position) = 0;
    virtual int progress(ctl::Control control) const = 0;
    // Upper end of a progress bar's range (its lower end is 0). Front ends
    // without bars may ignore it.
    virtual void setProgressMax(ctl::Control control, int maximum) {}
    // Focus an edit and select its whole text.
    virtual void focusAndSelectAll(ctl::Control control) = 0;
    // Text of a status bar panel (0 or 1).
    virtual void setStatusPanel(int panel, const std::string& text) = 0;
    // Let the window repaint between steps of a long operation.
    virtual void processEvents() = 0;
    // Brings a page of a page control to the front (e.g. ctl::TSCollision after
    // a failed read). Front ends without pages may ignore it.
    virtual void showPage(ctl::Control page) {}
    // Whether the operator asked the running operation to stop (Cancel):
    // its "operation was cancelled" is then no error to show.
    virtual bool cancelRequested() const { return false; }
    // Rows moved so far into or out of `table` by a long copy (the fill and
    // the read call it every few thousand rows). Front ends without a place
    // for it may ignore it.
    virtual void rowsProgress(const std::string& table, long long rows) {}
};

}  // namespace quorvel
