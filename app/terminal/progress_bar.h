// The batch progress line on a terminal: a bar, done/total, failures and the rate.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace zenthor {

// The text of the line (no control characters), `width` characters of bar.
std::string ProgressLine(std::size_t done, std::size_t total, std::size_t failed, double seconds,
                         int width = 30);

class ProgressBar {
public:
    // Draws on `fd` only when it is a terminal.
    explicit ProgressBar(int fd);
    bool Active() const { return m_active; }

    void Update(std::size_t done, std::size_t total, std::size_t failed);
    // Prints a line of its own above the bar (or plainly, with no bar).
    void Message(const std::string& line);
    // Draws the bar a last time and leaves it on its line.
    void Finish(std::size_t done, std::size_t total, std::size_t failed);

private:
    void Write(const std::string& text);

    int m_fd;
    bool m_active;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::string m_last;
};

}  // namespace zenthor
