#include "tests/support/write_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace zenthor::test {

WriteWatch::WriteWatch(const std::filesystem::path& folder) : m_fd(inotify_init1(IN_NONBLOCK)) {
    std::filesystem::create_directories(folder);
    inotify_add_watch(m_fd, folder.c_str(), IN_CREATE);
}

WriteWatch::~WriteWatch() { close(m_fd); }

std::map<std::string, int> WriteWatch::Written() {
    std::map<std::string, int> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            const std::string name = event->name;
            ++names[name.substr(0, name.find(".part-"))];
            at += sizeof(inotify_event) + event->len;
        }
    }
    return names;
}

}  // namespace zenthor::test
