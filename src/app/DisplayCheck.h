#pragma once
// Whether a graphical session can be reached: a Qt platform chosen
// explicitly, or an X11 or Wayland display. Without one Qt would abort with
// a message about platform plugins that tells a user nothing.
#include <functional>
#include <string>

namespace quorvel::app {

// `env` reads an environment variable (empty when unset).
bool displayAvailable(const std::function<std::string(const char*)>& env);
bool displayAvailable();

// Exit status of the application when there is no display (launchers test for it).
constexpr int kNoDisplayExitStatus = 3;

}  // namespace quorvel::app
