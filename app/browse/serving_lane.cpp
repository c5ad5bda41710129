#include "app/browse/serving_lane.h"

#include <sys/socket.h>

namespace zenthor {

ServingLane::ServingLane(std::size_t threads, std::size_t maxWaiting, Serve serve)
    : m_serve(std::move(serve)), m_maxWaiting(maxWaiting), m_serving(threads, -1) {
    for (std::size_t i = 0; i < threads; ++i) {
        m_threads.emplace_back([this, i] { Run(i); });
    }
}

ServingLane::~ServingLane() {
    Close();
    Join();
}

std::unique_ptr<Connection> ServingLane::Offer(std::unique_ptr<Connection> connection) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed || m_waiting.size() >= m_maxWaiting) return connection;
        m_waiting.push_back(std::move(connection));
    }
    m_changed.notify_one();
    return nullptr;
}

std::vector<std::unique_ptr<Connection>> ServingLane::Close() {
    std::vector<std::unique_ptr<Connection>> waiting;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        for (auto& connection : m_waiting) waiting.push_back(std::move(connection));
        m_waiting.clear();
    }
    m_changed.notify_all();
    return waiting;
}

void ServingLane::Interrupt() {
    std::lock_guard lock(m_mutex);
    for (const int fd : m_serving) {
        if (fd >= 0) shutdown(fd, SHUT_RDWR);
    }
}

bool ServingLane::WaitIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [this] { return m_busy == 0 && m_waiting.empty(); });
}

void ServingLane::Join() {
    for (std::thread& thread : m_threads) {
        if (thread.joinable()) thread.join();
    }
}

void ServingLane::Run(std::size_t index) {
    for (;;) {
        std::unique_ptr<Connection> connection;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_closed || !m_waiting.empty(); });
            if (m_waiting.empty()) return;  // closed
            connection = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_serving[index] = connection->Fd();
            ++m_busy;
        }
        try {
            m_serve(std::move(connection));
        } catch (...) {
            // An answer that failed costs only its connection.
        }
        {
            std::lock_guard lock(m_mutex);
            m_serving[index] = -1;
            --m_busy;
        }
        m_changed.notify_all();
    }
}

}  // namespace zenthor
