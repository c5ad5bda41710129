#include "app/workers/blocking_worker_pool.h"

#include <algorithm>

#include "app/workers/job_line.h"

namespace zenthor {

BlockingWorkerPool::BlockingWorkerPool(WorkerCommand command, unsigned size, std::chrono::steady_clock::duration timeLimit)
    : m_timeLimit(timeLimit) {
    for (unsigned i = 0; i < WorkerCount(size); ++i) {
        m_idle.push_back(std::make_unique<WorkerProcess>(command));
        m_all.push_back(m_idle.back().get());
    }
}

BlockingWorkerPool::~BlockingWorkerPool() {
    // Every Run has returned by now (the server is stopped first), so all workers are idle.
    std::unique_lock lock(m_mutex);
    m_freed.wait(lock, [this] { return m_idle.size() == m_all.size(); });
}

WorkerRun BlockingWorkerPool::Run(const ImportRequest& job) {
    std::unique_ptr<WorkerProcess> worker;
    {
        std::unique_lock lock(m_mutex);
        m_freed.wait(lock, [this] { return !m_idle.empty(); });
        worker = std::move(m_idle.back());
        m_idle.pop_back();
    }
    WorkerRun run = worker->Run(FormatWorkerJob(job), WorkerProcess::Clock::now() + m_timeLimit);
    {
        std::lock_guard lock(m_mutex);
        m_idle.push_back(std::move(worker));
    }
    m_freed.notify_all();
    return run;
}

}  // namespace zenthor
