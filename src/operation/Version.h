#pragma once
// The tool's version, as the build names it (the project's version in
// CMake): quorvel-cli --version and the window's About box show it.
namespace quorvel {

const char* version();

}  // namespace quorvel
