#include "app/workers/async_worker_pool.h"

#include <algorithm>
#include <iterator>

#include "app/workers/job_line.h"

namespace zenthor {

AsyncWorkerPool::AsyncWorkerPool(const WorkerCommand& command, unsigned size, Clock::duration timeLimit)
    : m_timeLimit(timeLimit) {
    for (unsigned i = 0; i < WorkerCount(size); ++i) {
        m_threads.emplace_back([this, command] { Serve(command); });
    }
}

AsyncWorkerPool::~AsyncWorkerPool() {
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

void AsyncWorkerPool::Start(std::size_t task, const ImportRequest& job) {
    std::string line = FormatWorkerJob(job);
    {
        std::lock_guard lock(m_mutex);
        m_queue.emplace_back(task, std::move(line));
    }
    ++m_busy;
    m_queued.notify_one();
}

void AsyncWorkerPool::Wait(std::optional<Clock::time_point> wakeBy, std::vector<Ended>& ended) {
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

void AsyncWorkerPool::Serve(WorkerCommand command) {
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
