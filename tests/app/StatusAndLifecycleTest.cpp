// The status faces through a run of operations, the window's recovery from
// errors that escape an operation, exit confirmation, splash and start-up.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include "QtTestSupport.h"
#include "app/DisplayCheck.h"
#include "app/StatusFaces.h"
#include "app/logo.h"
#include "engine/Error.h"

namespace quorvel::test {
namespace {

class Status : public ::testing::Test, protected WithQtApp {
protected:
    DM dm;
    ScriptedBrowser w{dm};

    // The one face shown, or "" when not exactly one is.
    std::string shownFace() {
        std::string shown;
        int count = 0;
        for (const char* f : {"Iooh", "ISad", "IShades", "IIndif"})
            if (w.control(f) && !w.control(f)->isHidden()) {
                shown = f;
                ++count;
            }
        return count == 1 ? shown : "";
    }
};

TEST_F(Status, ARefusedBoundGetsTheFocusOnceTheWindowIsUsableAgain) {
    w.show();
    auto* edit = w.findChild<QLineEdit*>("EditMaxValue2");
    edit->setText("12a");
    // Not connected: after the refusal the creation's reconnection fails as
    // well, which ends the operation in the error state.
    w.SBCreateMetaClick();
    ASSERT_EQ(w.messages, std::vector<std::string>{"Invalid number"});
    EXPECT_EQ(w.focusWidget(), edit) << "the window was still disabled when the focus was set";
    EXPECT_EQ(edit->selectedText(), "12a");
}

TEST_F(Status, FacesAndTextsFollowTheOperations) {
    EXPECT_EQ(shownFace(), "IIndif");
    EXPECT_EQ(w.statusPanel(0), "   Status: No events");

    w.setWorking();  // the first operation
    EXPECT_EQ(shownFace(), "IIndif");
    EXPECT_EQ(w.statusPanel(0), "   Status: Working...");
    // The pages and menus take no input; the status bar's Cancel does.
    EXPECT_FALSE(w.workAreaEnabled());
    EXPECT_FALSE(w.findChild<QWidget*>("SBCancel")->isHidden());

    w.setError();
    EXPECT_EQ(shownFace(), "ISad");
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_TRUE(w.workAreaEnabled());

    w.setWorking();  // running after a failure
    EXPECT_EQ(shownFace(), "Iooh");
    EXPECT_EQ(w.statusPanel(0), "   Status: Working...");

    w.setOK();
    EXPECT_EQ(shownFace(), "IShades");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_TRUE(w.workAreaEnabled());

    w.setWorking();  // running after a success
    EXPECT_EQ(shownFace(), "IIndif");
    w.setOK();
}

TEST_F(Status, FacesAreFourDifferentPicturesWithTheirHints) {
    std::vector<QImage> images;
    for (auto f : {StatusFace::Ooh, StatusFace::Sad, StatusFace::Shades, StatusFace::Indif}) {
        QImage img = app::paintStatusFace(f).toImage();
        EXPECT_EQ(img.size(), QSize(33, 33));
        // Grey around the 26-pixel face, yellow at its chin.
        EXPECT_EQ(QColor(img.pixel(1, 1)), QColor(192, 192, 192));
        EXPECT_EQ(QColor(img.pixel(16, 27)).name(), QColor(255, 230, 0).name());
        for (const auto& other : images) EXPECT_NE(img, other);
        images.push_back(img);
    }
    EXPECT_EQ(w.control("Iooh")->toolTip(), "Status");
    EXPECT_EQ(w.control("ISad")->toolTip(), "Status: Error ");
    EXPECT_EQ(w.control("IShades")->toolTip(), "Status: OK");
    EXPECT_EQ(w.control("IIndif")->toolTip(), "Status: No events");
}

TEST_F(Status, AnErrorEscapingAnOperationIsShownAndTheWindowIsUsableAgain) {
    w.runOperation([](DM&, Frontend& ui) {
        ui.setWorking();
        throw engine::DbError("lock conflict on no wait transaction");
    });
    EXPECT_TRUE(w.workAreaEnabled());
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0], "lock conflict on no wait transaction");
    // The message is shown by a window that takes input again.
    EXPECT_TRUE(w.enabledWhileMessageShown);

    // Not an engine error, and thrown before the status was touched.
    w.runOperation([](DM&, Frontend&) { throw std::out_of_range("list index out of bounds"); });
    EXPECT_EQ(w.messages.back(), "list index out of bounds");
    EXPECT_TRUE(w.workAreaEnabled());

    // An operation that forgets to report its end does not lock the window.
    w.runOperation([](DM&, Frontend& ui) { ui.setWorking(); });
    EXPECT_TRUE(w.workAreaEnabled());

    // A normal end leaves no message of the window's own.
    const size_t before = w.messages.size();
    w.runOperation([](DM&, Frontend& ui) {
        ui.setWorking();
        ui.setOK();
    });
    EXPECT_EQ(w.messages.size(), before);
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
}

TEST_F(Status, ClosingAsksFirstAndNoKeepsTheWindowOpen) {
    w.show();
    w.answers = {false};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.QMainWindow::isVisible());
    ASSERT_EQ(w.questions.size(), 1u);
    EXPECT_EQ(w.questions[0], "Exit now?");

    w.answers = {true};
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.QMainWindow::isVisible());
}

TEST_F(Status, NoExitWhileAnOperationRuns) {
    w.show();
    w.setWorking();
    w.answers = {true};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.questions.empty());
    w.setOK();
}

TEST(Startup, SplashIsDestroyedWhenTheMainWindowIsFirstShown) {
    qtApp();
    DM dm;
    ScriptedBrowser w{dm};
    QPointer<app::TQuorvelLogo> logo = new app::TQuorvelLogo;
    logo->showNow();
    EXPECT_EQ(logo->size(), QSize(366, 70));
    EXPECT_TRUE(logo->windowFlags() & Qt::FramelessWindowHint);
    w.setSplash(logo);
    EXPECT_FALSE(logo.isNull());
    w.show();
    EXPECT_TRUE(logo.isNull());
    w.hide();
    w.show();  // a second show has nothing left to destroy
}

TEST(Startup, NoDisplayIsRecognisedBeforeQtIsStarted) {
    auto envOf = [](std::map<std::string, std::string> vars) {
        return [vars](const char* name) {
            auto it = vars.find(name);
            return it == vars.end() ? std::string() : it->second;
        };
    };
    EXPECT_FALSE(app::displayAvailable(envOf({})));
    EXPECT_FALSE(app::displayAvailable(envOf({{"DISPLAY", ""}})));
    EXPECT_TRUE(app::displayAvailable(envOf({{"DISPLAY", ":0"}})));
    EXPECT_TRUE(app::displayAvailable(envOf({{"WAYLAND_DISPLAY", "wayland-0"}})));
    EXPECT_TRUE(app::displayAvailable(envOf({{"QT_QPA_PLATFORM", "offscreen"}})));
    EXPECT_EQ(app::kNoDisplayExitStatus, 3);
}

}  // namespace
}  // namespace quorvel::test
