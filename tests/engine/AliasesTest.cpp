// The alias file: where it is, how it reads and writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    for (const auto& [name, path] : std::vector<std::pair<std::string, std::string>>{
             {"bad]name", "/x"}, {"two\nlines", "/x"}, {"bell\a", "/x"}, {"fine", "/x\n[EVIL]"}})
        EXPECT_THROW(Aliases::add(name, path), DbError) << name << " " << path;

    // A password in the file leaves it to its owner alone.
    Aliases::add("SECRET", "/s.fdb", {"PASSWORD=masterkey"});
    struct stat st {};
    ASSERT_EQ(::stat(Aliases::configPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

namespace {

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string fileText(const std::string& path) {
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

TEST(Aliases, RewritingKeepsTheUsersCommentsAndOrder) {
    Workspace ws;
    {
        std::ofstream f(Aliases::configPath());
        f << "# Databases of the shop\n"
             "[Zeta]\n"
             "; the old server\n"
             "SERVER NAME=/z.fdb\n"
             "USER NAME=SYSDBA\n"
             "\n"
             "# branch office\n"
             "[Alpha]\n"
             "SERVER NAME=/a.fdb\n";
    }
    const ino_t before = inodeOf(Aliases::configPath());
    Aliases::add("zeta", "/z2.fdb", {"ROLE=ADMIN"});
    // A new file renamed over the old one, never the old one cut short and
    // rewritten in place.
    EXPECT_NE(inodeOf(Aliases::configPath()), before);
    Aliases::add("Mid", "/m.fdb");
    EXPECT_EQ(fileText(Aliases::configPath()),
              "# Databases of the shop\n"
              "[Zeta]\n"
              "; the old server\n"
              "SERVER NAME=/z2.fdb\n"
              "ROLE=ADMIN\n"
              "\n"
              "# branch office\n"
              "[Alpha]\n"
              "SERVER NAME=/a.fdb\n"
              "\n"
              "[Mid]\n"
              "SERVER NAME=/m.fdb\n");

    EXPECT_TRUE(Aliases::remove("ALPHA"));
    EXPECT_EQ(fileText(Aliases::configPath()),
              "# Databases of the shop\n"
              "[Zeta]\n"
              "; the old server\n"
              "SERVER NAME=/z2.fdb\n"
              "ROLE=ADMIN\n"
              "\n"
              "# branch office\n"
              "\n"
              "[Mid]\n"
              "SERVER NAME=/m.fdb\n");
    // Nothing is left beside it.
    EXPECT_FALSE(std::filesystem::exists(Aliases::configPath() + ".new"));
}

TEST(Aliases, ARelativeDatabasePathIsStoredAbsolute) {
    Workspace ws;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(ws.dir());
    Aliases::add("Here", "shop.fdb");
    Aliases::add("Below", "data/../db/shop.fdb");
    std::filesystem::current_path(previous);
    EXPECT_EQ(Aliases::databaseOf("Here"), ws.path("shop.fdb"));
    EXPECT_EQ(Aliases::databaseOf("Below"), ws.path("db/shop.fdb"));

    // What the server resolves itself stays as typed.
    Aliases::add("Remote", "localhost:shop.fdb");
    Aliases::add("ServerAlias", "employee");
    EXPECT_EQ(Aliases::databaseOf("Remote"), "localhost:shop.fdb");
    EXPECT_EQ(Aliases::databaseOf("ServerAlias"), "employee");
}
