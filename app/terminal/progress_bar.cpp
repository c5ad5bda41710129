#include "app/terminal/progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace zenthor {

std::string ProgressLine(std::size_t done, std::size_t total, std::size_t failed, double seconds, int width) {
    const std::size_t filled = total == 0 ? 0 : done * static_cast<std::size_t>(width) / total;
    std::string bar =
        "[" + std::string(filled, '#') + std::string(static_cast<std::size_t>(width) - filled, '-') + "]";
    char rest[128];
    std::snprintf(rest, sizeof rest, " %zu/%zu  %zu failed", done, total, failed);
    // A rate over less than a second says nothing.
    char rate[64] = "";
    if (seconds >= 1) {
        std::snprintf(rate, sizeof rate, "  %.1f files/s", static_cast<double>(done) / seconds);
    }
    return bar + rest + rate;
}

ProgressBar::ProgressBar(int fd) : m_fd(fd), m_active(isatty(fd) == 1) {}

void ProgressBar::Write(const std::string& text) {
    const ssize_t ignored = write(m_fd, text.data(), text.size());
    (void)ignored;
}

void ProgressBar::Update(std::size_t done, std::size_t total, std::size_t failed) {
    if (!m_active) {
        return;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    m_last = ProgressLine(done, total, failed, seconds);
    Write("\r\x1b[K" + m_last);
}

void ProgressBar::Message(const std::string& line) {
    if (m_active) {
        Write("\r\x1b[K" + line + "\n" + m_last);
    } else {
        Write(line + "\n");
    }
}

void ProgressBar::Finish(std::size_t done, std::size_t total, std::size_t failed) {
    if (m_active) {
        Update(done, total, failed);
        Write("\n");
    }
}

}  // namespace zenthor
