#include "app/worker_pool.h"

#include <algorithm>
#include <iterator>

namespace zenthor {

WorkerPool::WorkerPool(const WorkerCommand& command, unsigned size, Clock::duration timeLimit)
    : m_timeLimit(timeLimit) {
    for (unsigned i = 0; i < std::max(1u, size); ++i) {
        m_threads.emplace_back([this, command] { Serve(command); });
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void WorkerPool::Start(std::size_t task, std::string job) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.emplace_back(task, std::move(job));
    }
    ++m_busy;
    m_queued.notify_one();
}

void WorkerPool::Wait(std::optional<Clock::time_point> wakeBy, std::vector<Ended>& ended) {
    if (m_busy == 0) {
        return;
    }
    std::unique_lock lock(m_mutex);
    const auto some = [this] { return !m_ended.empty(); };
    if (wakeBy) {
        m_endedSignal.wait_until(lock, *wakeBy, some);
    } else {
        m_endedSignal.wait(lock, some);
    }
    m_busy -= m_ended.size();
    std::move(m_ended.begin(), m_ended.end(), std::back_inserter(ended));
    m_ended.clear();
}

void WorkerPool::Serve(WorkerCommand command) {
    WorkerProcess worker(std::move(command));
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) {
            return;  // the worker ends as `worker` goes
        }
        auto [task, job] = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        Ended done{task, worker.Run(job, Clock::now() + m_timeLimit)};
        lock.lock();
        m_ended.push_back(std::move(done));
        m_endedSignal.notify_one();
    }
}

}  // namespace zenthor
