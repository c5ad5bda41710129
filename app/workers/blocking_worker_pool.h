// Workers shared by many threads that each wait for their own job (a server's):
// WorkerCount(size) long-lived workers, each job on the first free one, with a time limit
// per job. Run blocks its caller until the answer, and while all workers are busy
// (async_worker_pool.h is the form for one loop that hands out many jobs).
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "app/hosting/host_import.h"
#include "app/workers/worker_process.h"

namespace zenthor {

class BlockingWorkerPool {
public:
    BlockingWorkerPool(WorkerCommand command, unsigned size, std::chrono::steady_clock::duration timeLimit);
    ~BlockingWorkerPool();
    BlockingWorkerPool(const BlockingWorkerPool&) = delete;
    BlockingWorkerPool& operator=(const BlockingWorkerPool&) = delete;

    WorkerRun Run(const ImportRequest& job);

private:
    std::chrono::steady_clock::duration m_timeLimit;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<WorkerProcess>> m_idle;
    std::vector<WorkerProcess*> m_all;
};

}  // namespace zenthor
