#include "db/Today.h"

#include <ctime>

namespace quorvel {

namespace {

std::string localNow(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

}  // namespace

std::string todayText() { return localNow("%Y-%m-%d"); }

std::string nowText() { return localNow("%Y-%m-%d %H:%M:%S"); }

}  // namespace quorvel
