// Workers for one loop that hands out many jobs (a batch's): WorkerCount(size) long-lived
// worker processes (see worker_process.h), each driven by a thread of its own. Start
// returns at once and Wait collects the jobs that ended, whichever worker ran them, so the
// loop never waits on any one worker (blocking_worker_pool.h is the form for callers that
// each wait for their own job). A worker imports job after job; a job that crashes it or
// passes the time limit costs only itself, and a fresh worker takes the next.
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

#include "app/hosting/host_import.h"
#include "app/workers/worker_process.h"

namespace zenthor {

class AsyncWorkerPool {
public:
    using Clock = WorkerProcess::Clock;

    // A job that has ended: answered, or its worker crashed, was stopped at the time limit
    // or could not be started.
    struct Ended {
        std::size_t task = 0;
        WorkerRun run;
    };

    AsyncWorkerPool(const WorkerCommand& command, unsigned size, Clock::duration timeLimit);
    ~AsyncWorkerPool();  // drops the jobs not yet begun, waits for those under way, ends the workers
    AsyncWorkerPool(const AsyncWorkerPool&) = delete;
    AsyncWorkerPool& operator=(const AsyncWorkerPool&) = delete;

    // Full with two jobs per worker: one under way and one waiting, so that a worker does
    // not wait for the batch's loop between its jobs.
    bool Full() const { return m_busy >= 2 * m_threads.size(); }
    bool Empty() const { return m_busy == 0; }

    // Gives `job` to the next free worker; `task` names it in Ended.
    void Start(std::size_t task, const ImportRequest& job);

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
