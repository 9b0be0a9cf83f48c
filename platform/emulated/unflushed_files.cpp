#include "platform/emulated/unflushed_files.h"

#include <cerrno>
#include <unistd.h>

namespace platform::emulated {

void UnflushedFiles::writing(const std::string& key, int descriptor) {
    if (lasting_.count(key) != 0) {
        return;
    }
    std::string content;
    char chunk[4096];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(descriptor, chunk, sizeof chunk, at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
        at += got;
    }
    lasting_[key] = std::move(content);
}

void UnflushedFiles::moved(const std::string& from, const std::string& to) {
    lasting_.erase(to);
    if (const auto it = lasting_.find(from); it != lasting_.end()) {
        std::string content = std::move(it->second);
        lasting_.erase(it);
        lasting_[to] = std::move(content);
    }
}

} // namespace platform::emulated
