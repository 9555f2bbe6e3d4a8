#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "engine/Interrupt.h"

int main(int argc, char** argv) {
    // Ctrl+C and kill stop the running statement; the session then detaches
    // on its way out and the status tells the caller what stopped it.
    quorvel::engine::installInterruptHandlers();
    std::vector<std::string> args(argv + 1, argv + argc);
    // As isql does: a password given on the command line leaves the process
    // list once it is read.
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        char* secret = nullptr;
        if (word == "--password" && i + 1 < argc) secret = argv[i + 1];
        else if (word.rfind("--password=", 0) == 0) secret = argv[i] + std::strlen("--password=");
        if (secret) std::memset(secret, 'x', std::strlen(secret));
    }
    int status = quorvel::cli::run(args, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0);
    if (quorvel::engine::interrupted()) {
        std::cerr << "Interrupted.\n";
        return quorvel::engine::interruptedExitStatus();
    }
    return status;
}
