// Threads that answer connections whose head is whole, in the order they come, with a bound
// on how many may wait. The server has two: one for the page, its files and answers that are
// ready, and one for answers that wait for an import, so that imports never hold the
// threads that serve the page.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/browse/connection.h"

namespace zenthor {

class ServingLane {
public:
    using Serve = std::function<void(std::unique_ptr<Connection>)>;

    ServingLane(std::size_t threads, std::size_t maxWaiting, Serve serve);
    ~ServingLane();  // Close, then Join
    ServingLane(const ServingLane&) = delete;
    ServingLane& operator=(const ServingLane&) = delete;

    // Takes the connection; gives it back when `maxWaiting` connections wait already or the
    // lane is closed.
    std::unique_ptr<Connection> Offer(std::unique_ptr<Connection> connection);
    // Takes no more, and gives back the connections still waiting; the threads finish the
    // ones they answer.
    std::vector<std::unique_ptr<Connection>> Close();
    // Ends the transfers of the connections being answered now: their sockets are shut
    // down. For a stopping server: a socket number it holds may have been closed meanwhile,
    // but no new connection can have taken it once nothing is accepted.
    void Interrupt();
    // Waits for the threads, up to `limit`; true when they have ended.
    bool WaitIdle(std::chrono::milliseconds limit);
    void Join();

private:
    void Run(std::size_t index);

    Serve m_serve;
    std::size_t m_maxWaiting;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Connection>> m_waiting;
    std::vector<int> m_serving;  // per thread: the socket it answers, or -1
    std::size_t m_busy = 0;
    bool m_closed = false;
    std::vector<std::thread> m_threads;
};

}  // namespace zenthor
