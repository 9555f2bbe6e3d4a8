// The alias file: where it is, how it reads and writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/Aliases.h"
#include "engine/Error.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

TEST(Aliases, FileLocationFollowsTheEnvironment) {
    Workspace ws;  // sets QUORVEL_ALIASES
    EXPECT_EQ(Aliases::configPath(), ws.path("aliases.conf"));
    std::string saved = std::getenv("QUORVEL_ALIASES");
    ::unsetenv("QUORVEL_ALIASES");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", ws.path("xdg").c_str(), 1);
    EXPECT_EQ(Aliases::configPath(), ws.path("xdg") + "/quorvel/aliases.conf");
    Aliases::add("X", "/x.fdb");  // creates the folders
    EXPECT_TRUE(std::filesystem::exists(ws.path("xdg") + "/quorvel/aliases.conf"));
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(Aliases::configPath(), std::string(home) + "/.config/quorvel/aliases.conf");
    }
    if (xdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    ::setenv("QUORVEL_ALIASES", saved.c_str(), 1);
}

TEST(Aliases, ReadsWritesAndRemoves) {
    Workspace ws;
    EXPECT_TRUE(Aliases::names().empty());  // no file yet
    EXPECT_FALSE(Aliases::exists("A"));
    EXPECT_THROW(Aliases::parameters("A"), DbError);
    {
        std::ofstream f(Aliases::configPath());
        f << "; comment\n[ZETA]\nSERVER NAME=localhost:/z.fdb\nUSER NAME=SYSDBA\n\n[alpha]\nSERVER NAME = /a.fdb\n"
             "LANGDRIVER=x=y\n";
    }
    EXPECT_EQ(Aliases::names(), (std::vector<std::string>{"ZETA", "alpha"}));
    EXPECT_EQ(Aliases::parameters("ZETA"), (std::vector<std::string>{"SERVER NAME=localhost:/z.fdb", "USER NAME=SYSDBA"}));
    EXPECT_EQ(Aliases::parameters("alpha"), (std::vector<std::string>{"SERVER NAME=/a.fdb", "LANGDRIVER=x=y"}));
    EXPECT_EQ(Aliases::databaseOf("alpha"), "/a.fdb");
    EXPECT_EQ(Aliases::databaseOf("Zeta"), "localhost:/z.fdb");

    Aliases::add("MID", "127.0.0.1/3051:/m.fdb", {"PAGE SIZE=8192"});
    Aliases::add("alpha", "/b.fdb");
    EXPECT_EQ(Aliases::names(), (std::vector<std::string>{"MID", "ZETA", "alpha"}));
    EXPECT_EQ(Aliases::parameters("MID"), (std::vector<std::string>{"SERVER NAME=127.0.0.1/3051:/m.fdb", "PAGE SIZE=8192"}));
    EXPECT_EQ(Aliases::parameters("alpha"), std::vector<std::string>{"SERVER NAME=/b.fdb"});
    EXPECT_TRUE(Aliases::remove("ZETA"));
    EXPECT_FALSE(Aliases::remove("ZETA"));
    EXPECT_EQ(Aliases::names(), (std::vector<std::string>{"MID", "alpha"}));
    EXPECT_THROW(Aliases::add("bad]name", "/x"), DbError);
}
