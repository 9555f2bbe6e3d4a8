#include "clone/Gbak.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "db/PrivateFile.h"

extern char** environ;

namespace quorvel::clone {

namespace {

// Runs `gbak mode from to`; throws with its output (standard output and
// error together) when it does not end with 0. The password goes through the
// environment, where other users' process lists do not show it.
void runGbak(const std::string& mode, const std::string& from, const std::string& to, const GbakLogin& login) {
    std::vector<std::string> args = {"gbak", mode};
    if (!login.user.empty()) args.insert(args.end(), {"-user", login.user});
    args.insert(args.end(), {from, to});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string passwordLine = "ISC_PASSWORD=" + login.password;
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "ISC_PASSWORD=", 13) != 0) env.push_back(*e);
    if (!login.password.empty()) env.push_back(passwordLine.data());
    env.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) throw std::runtime_error(std::string("gbak: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    // Nothing else of this process: the files of the databases it holds open
    // would keep their locks in gbak, beyond this process's own end.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "gbak", &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);

    std::string said;
    if (spawned == 0) {
        std::array<char, 4096> buf{};
        ssize_t n;
        while ((n = ::read(pipeEnds[0], buf.data(), buf.size())) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) said.append(buf.data(), static_cast<size_t>(n));
    }
    ::close(pipeEnds[0]);
    if (spawned != 0)
        throw std::runtime_error("gbak could not be started (" + std::string(std::strerror(spawned)) +
                                 "): the server's tools (package firebird3.0-utils) must be on the PATH.");

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    while (!said.empty() && (said.back() == '\n' || said.back() == ' ')) said.pop_back();
    std::string ending = WIFSIGNALED(status) ? "was stopped by signal " + std::to_string(WTERMSIG(status))
                                             : "ended with " + std::to_string(WEXITSTATUS(status));
    throw std::runtime_error("gbak " + mode + " " + from + " " + to + " " + ending + (said.empty() ? "" : ":\n") +
                             said);
}

}  // namespace

void backUpDatabase(const std::string& database, const std::string& backupFile, const GbakLogin& login) {
    // A backup holds the whole database: made for its owner alone (gbak
    // writes into the file as it finds it). A link there is not followed.
    writePrivateFile(backupFile, "");
    runGbak("-b", database, backupFile, login);
}

void restoreDatabase(const std::string& backupFile, const std::string& database, const GbakLogin& login) {
    // -c creates the database and refuses one that exists (-rep would replace it).
    runGbak("-c", backupFile, database, login);
}

}  // namespace quorvel::clone
