// A batch's workers: up to `size` long-lived worker processes (see worker_process.h), each
// driven by a thread of its own, so that the batch's loop hands out jobs and collects those
// that ended without waiting on any one worker. A worker imports job after job; a job that
// crashes it or passes the time limit costs only itself, and a fresh worker takes the next.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/worker_process.h"

namespace zenthor {

class WorkerPool {
public:
    using Clock = WorkerProcess::Clock;

    // A job that has ended: answered, or its worker crashed, was stopped at the time limit
    // or could not be started.
    struct Ended {
        std::size_t task = 0;
        WorkerRun run;
    };

    WorkerPool(const WorkerCommand& command, unsigned size, Clock::duration timeLimit);
    ~WorkerPool();  // drops the jobs not yet begun, waits for those under way, ends the workers
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Full with two jobs per worker: one under way and one waiting, so that a worker does
    // not wait for the batch's loop between its jobs.
    bool Full() const { return m_busy >= 2 * m_threads.size(); }
    bool Empty() const { return m_busy == 0; }

    // Gives `job` (one job line) to the next free worker; `task` names it in Ended.
    void Start(std::size_t task, std::string job);

    // Waits until jobs end, or until `wakeBy`; appends the ended jobs to `ended`.
    void Wait(std::optional<Clock::time_point> wakeBy, std::vector<Ended>& ended);

private:
    void Serve(WorkerCommand command);

    Clock::duration m_timeLimit;
    std::size_t m_busy = 0;  // jobs given and not yet collected; the batch loop's alone
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_endedSignal;
    std::deque<std::pair<std::size_t, std::string>> m_queue;
    std::vector<Ended> m_ended;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

}  // namespace zenthor
