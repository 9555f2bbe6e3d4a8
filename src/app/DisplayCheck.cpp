#include "app/DisplayCheck.h"

#include <cstdlib>

namespace quorvel::app {

bool displayAvailable(const std::function<std::string(const char*)>& env) {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!env(name).empty()) return true;
    return false;
}

bool displayAvailable() {
    return displayAvailable([](const char* name) {
        const char* v = std::getenv(name);
        return std::string(v ? v : "");
    });
}

}  // namespace quorvel::app
