#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorvel::cli::run(args, std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0);
}
