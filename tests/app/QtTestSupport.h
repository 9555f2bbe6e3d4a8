#pragma once
// The one QApplication of the widget tests, and a main window whose boxes are
// answered by the test instead of a person.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/fBrowser.h"

namespace quorvel::test {

inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // Without a display the widget tests still run, drawn off screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

// Base of fixtures whose members are widgets: bases are built before members.
struct WithQtApp {
    WithQtApp() { qtApp(); }
};

class ScriptedBrowser : public app::TfmBrowser {
public:
    explicit ScriptedBrowser(DM& dm) : TfmBrowser(dm) {}

    std::deque<bool> answers;  // confirmations; none left answers No
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<std::string> inputs;       // typed into input boxes; none left cancels
    std::vector<std::string> proposed;    // what each input box proposed
    bool enabledWhileMessageShown = true;

    void showMessage(const std::string& text) override {
        messages.push_back(text);
        enabledWhileMessageShown = workAreaEnabled();
    }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string& defaultText) override {
        proposed.push_back(defaultText);
        if (inputs.empty()) return std::nullopt;
        std::string typed = inputs.front();
        inputs.pop_front();
        return typed;
    }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Runs `action` on the modal dialog named `dialog` once it is open (inside
// the event loop of its exec()). Pending events processed before it opens do
// not trigger it; a dialog that never opens fails the test.
template <class Action>
void whenModalOpens(const char* dialog, Action action) {
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, name = QString(dialog), action] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (++*ticks > 1000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "dialog " << name.toStdString() << " never opened";
        }
    });
    timer->start(5);
}

}  // namespace quorvel::test
