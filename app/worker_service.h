// Workers shared by the threads of a server: up to `size` long-lived workers, each job on
// the first free one, with a time limit per job. A caller waits while all are busy.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "app/worker_process.h"

namespace zenthor {

class WorkerService {
public:
    WorkerService(WorkerCommand command, unsigned size, std::chrono::steady_clock::duration timeLimit);
    ~WorkerService();
    WorkerService(const WorkerService&) = delete;
    WorkerService& operator=(const WorkerService&) = delete;

    WorkerRun Run(const std::string& job);

private:
    std::chrono::steady_clock::duration m_timeLimit;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<WorkerProcess>> m_idle;
    std::vector<WorkerProcess*> m_all;
};

}  // namespace zenthor
