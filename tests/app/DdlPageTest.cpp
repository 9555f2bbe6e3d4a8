// The page "Create Synchro DB": the window's file dialogs choose the names
// that the conversion gets.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <filesystem>
#include <fstream>

#include "QtTestSupport.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class DdlPage : public ::testing::Test, protected WithQtApp {
protected:
    Workspace ws;
    DM dm;
    ScriptedBrowser w{dm};

    static void choose(const char* dialog, const std::string& file) {
        whenModalOpens(dialog, [file](QWidget* d) {
            auto* fd = static_cast<QFileDialog*>(d);
            fd->selectFile(QString::fromStdString(file));
            static_cast<QDialog*>(fd)->accept();
        });
    }
};

TEST_F(DdlPage, TheChosenSourceAndTargetReachTheConversion) {
    // Nothing chosen yet: the conversion gets no source name at all.
    choose("SaveDialog1", ws.path("first.txt"));
    w.SBConvertddlClick();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages.back().rfind("Cannot open file \"\".", 0), 0u) << w.messages.back();

    std::string source = ws.path("master.ddl");
    std::ofstream(source).flush();
    choose("OpenDialog1", source);
    w.SBReadddlClick();
    EXPECT_EQ(w.text("EditSource"), source);

    // Gone before the conversion: the message names the file chosen.
    std::filesystem::remove(source);
    std::string target = ws.path("synchro.txt");
    choose("SaveDialog1", target);
    w.SBConvertddlClick();
    ASSERT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.messages.back().rfind("Cannot open file \"" + source + "\".", 0), 0u) << w.messages.back();
    EXPECT_EQ(w.text("EditTarget"), target);
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");

    // A cancelled save dialog starts nothing.
    whenModalOpens("SaveDialog1", [](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    w.SBConvertddlClick();
    EXPECT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.text("EditTarget"), target);
}

}  // namespace
}  // namespace quorvel::test
