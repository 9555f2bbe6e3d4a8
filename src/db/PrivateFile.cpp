#include "db/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

bool writePrivateFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // A file that was there keeps its mode through O_CREAT: set it.
    bool whole = ::fchmod(fd, 0600) == 0;
    for (std::size_t done = 0; whole && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) whole = false;
        else done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && whole;
}

}  // namespace quorvel
