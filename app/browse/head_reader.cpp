#include "app/browse/head_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace zenthor {
namespace {

using Clock = Connection::Clock;

// How long, and how much, a closing connection is read and dropped before it is closed.
constexpr std::chrono::milliseconds kLinger(1000);
constexpr std::size_t kLingerBytes = 256 * 1024;

}  // namespace

HeadReader::HeadReader(std::chrono::milliseconds headTime, OnHead onHead)
    : m_headTime(headTime), m_onHead(std::move(onHead)) {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make the server's wake-up pipe");
    }
    m_wakeRead = UniqueFd(wake[0]);
    m_wakeWrite = UniqueFd(wake[1]);
    m_thread = std::thread([this] { Loop(); });
}

HeadReader::~HeadReader() {
    Stop();
}

void HeadReader::Read(std::unique_ptr<Connection> connection) {
    connection->NextRequest();
    connection->deadline = Clock::now() + m_headTime;
    Hand({std::move(connection)});
}

void HeadReader::Close(std::unique_ptr<Connection> connection, std::string answer) {
    if (!answer.empty()) connection->SendNow(answer);
    shutdown(connection->Fd(), SHUT_WR);
    connection->deadline = Clock::now() + kLinger;
    Hand({std::move(connection), true});
}

void HeadReader::Hand(Held held) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;  // closed here, as `held` ends
        m_incoming.push_back(std::move(held));
    }
    (void)!write(m_wakeWrite.Get(), "", 1);
}

void HeadReader::Stop(const std::string& answer) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
        m_stopped = true;
        for (Held& held : m_incoming) m_held.push_back(std::move(held));
        m_incoming.clear();
    }
    (void)!write(m_wakeWrite.Get(), "", 1);
    m_thread.join();
    for (const Held& held : m_held) {
        if (!answer.empty() && !held.closing && held.connection->ReadAvailable() &&
            held.connection->ScanHead() == RequestHeadScanner::Status::Complete) {
            held.connection->SendNow(answer);
        }
    }
    m_held.clear();
}

void HeadReader::StartClosing(Held& held, int status) {
    held.connection->SendNow(ClosingAnswer(status));
    shutdown(held.connection->Fd(), SHUT_WR);
    held.connection->deadline = Clock::now() + kLinger;
    held.closing = true;
}

bool HeadReader::Receive(Held& held) {
    Connection& connection = *held.connection;
    if (held.closing) {
        char sink[16384];
        const ssize_t n = recv(connection.Fd(), sink, sizeof sink, MSG_DONTWAIT);
        if (n > 0) held.discarded += static_cast<std::size_t>(n);
        return (n > 0 && held.discarded < kLingerBytes) || (n < 0 && (errno == EAGAIN || errno == EINTR));
    }
    if (!connection.ReadAvailable()) {
        return false;
    }
    switch (connection.ScanHead()) {
        case RequestHeadScanner::Status::Incomplete:
            return true;
        case RequestHeadScanner::Status::TooLarge:
            StartClosing(held, 431);
            return true;
        case RequestHeadScanner::Status::Complete:
            m_onHead(std::move(held.connection));
            return false;
    }
    return false;
}

void HeadReader::Loop() {
    std::vector<pollfd> polls;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped) return;
            for (Held& held : m_incoming) m_held.push_back(std::move(held));
            m_incoming.clear();
        }
        // A connection handed over with a whole head already read (pipelined requests) goes
        // on at once; one past its deadline is answered or closed.
        const auto now = Clock::now();
        for (std::size_t i = 0; i < m_held.size();) {
            Held& held = m_held[i];
            bool leaves = false;
            if (!held.closing) {
                const RequestHeadScanner::Status status = held.connection->ScanHead();
                if (status == RequestHeadScanner::Status::Complete) {
                    m_onHead(std::move(held.connection));
                    leaves = true;
                } else if (status == RequestHeadScanner::Status::TooLarge) {
                    StartClosing(held, 431);
                }
            }
            if (!leaves && now >= held.connection->deadline) {
                if (!held.closing && !held.connection->Unread().empty()) {
                    StartClosing(held, 408);  // a head begun but not finished in time
                } else {
                    leaves = true;  // idle, or done closing
                }
            }
            if (leaves) {
                m_held[i] = std::move(m_held.back());
                m_held.pop_back();
            } else {
                ++i;
            }
        }

        polls.assign(1, pollfd{m_wakeRead.Get(), POLLIN, 0});
        auto next = now + std::chrono::hours(1);
        for (const Held& held : m_held) {
            polls.push_back({held.connection->Fd(), POLLIN, 0});
            next = std::min(next, held.connection->deadline);
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count() + 1;
        if (poll(polls.data(), polls.size(), static_cast<int>(std::max<long long>(wait, 0))) < 0 &&
            errno != EINTR) {
            continue;
        }
        if (polls[0].revents != 0) {
            char drained[256];
            while (read(m_wakeRead.Get(), drained, sizeof drained) > 0) {
            }
        }
        // Back to front, so that removing one keeps the indices of those before it.
        for (std::size_t i = m_held.size(); i-- > 0;) {
            if (polls[i + 1].revents == 0) continue;
            if (!Receive(m_held[i])) {
                m_held[i] = std::move(m_held.back());
                m_held.pop_back();
            }
        }
    }
}

}  // namespace zenthor
