#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"
#include "engine/Interrupt.h"

int main(int argc, char** argv) {
    // Ctrl+C and kill stop the running statement; the session then detaches
    // on its way out and the status tells the caller what stopped it.
    quorvel::engine::installInterruptHandlers();
    std::vector<std::string> args(argv + 1, argv + argc);
    int status = quorvel::cli::run(args, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0);
    if (quorvel::engine::interrupted()) {
        std::cerr << "Interrupted.\n";
        return quorvel::engine::interruptedExitStatus();
    }
    return status;
}
