// Workers shared by many threads that each wait for their own job (a server's):
// WorkerCount(size) long-lived workers, each job on the first free one, with a time limit
// per job. Run blocks its caller until the answer, and while all workers are busy
// (async_worker_pool.h is the form for one loop that hands out many jobs). Stop ends
// every job at once, for a server that is stopping.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "app/hosting/host_import.h"
#include "app/support/unique_fd.h"
#include "app/workers/worker_process.h"

namespace zenthor {

// What Run throws once the pool is stopped: its job did not run, or its worker was killed.
class WorkersStopped : public std::runtime_error {
public:
    WorkersStopped() : std::runtime_error("the workers are stopped") {}
};

class BlockingWorkerPool {
public:
    BlockingWorkerPool(WorkerCommand command, unsigned size, std::chrono::steady_clock::duration timeLimit);
    ~BlockingWorkerPool();
    BlockingWorkerPool(const BlockingWorkerPool&) = delete;
    BlockingWorkerPool& operator=(const BlockingWorkerPool&) = delete;

    WorkerRun Run(const ImportRequest& job);
    // Kills the workers of running jobs; this and every later Run throw WorkersStopped.
    // Safe from any thread.
    void Stop();

private:
    std::chrono::steady_clock::duration m_timeLimit;
    UniqueFd m_stopRead;  // a pipe that becomes readable (at its end) on Stop
    UniqueFd m_stopWrite;
    bool m_stopped = false;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<WorkerProcess>> m_idle;
    std::vector<WorkerProcess*> m_all;
};

}  // namespace zenthor
