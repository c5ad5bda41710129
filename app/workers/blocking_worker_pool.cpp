#include "app/workers/blocking_worker_pool.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "app/workers/job_line.h"

namespace zenthor {

BlockingWorkerPool::BlockingWorkerPool(WorkerCommand command, unsigned size,
                                       std::chrono::steady_clock::duration timeLimit)
    : m_timeLimit(timeLimit) {
    int stop[2];
    if (pipe2(stop, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make the workers' stop pipe");
    }
    m_stopRead = UniqueFd(stop[0]);
    m_stopWrite = UniqueFd(stop[1]);
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

void BlockingWorkerPool::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
        m_stopped = true;
    }
    // Closing the write end makes the read end readable for every job at once.
    m_stopWrite.Reset();
    m_freed.notify_all();
}

WorkerRun BlockingWorkerPool::Run(const ImportRequest& job) {
    std::unique_ptr<WorkerProcess> worker;
    {
        std::unique_lock lock(m_mutex);
        m_freed.wait(lock, [this] { return !m_idle.empty() || m_stopped; });
        if (m_stopped) throw WorkersStopped();
        worker = std::move(m_idle.back());
        m_idle.pop_back();
    }
    WorkerRun run =
        worker->Run(FormatWorkerJob(job), WorkerProcess::Clock::now() + m_timeLimit, m_stopRead.Get());
    {
        std::lock_guard lock(m_mutex);
        m_idle.push_back(std::move(worker));
    }
    m_freed.notify_all();
    if (run.end == WorkerRun::End::Stopped) throw WorkersStopped();
    return run;
}

}  // namespace zenthor
