#include "app/worker_pool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace zenthor {

WorkerPool::WorkerPool(unsigned size, Clock::duration timeLimit)
    : m_size(std::max(1u, size)), m_timeLimit(timeLimit) {}

WorkerPool::~WorkerPool() {
    for (const Running& worker : m_running) {
        kill(worker.pid, SIGKILL);
        Reap(worker.pid);
        close(worker.fd);
    }
}

int WorkerPool::Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool WorkerPool::Start(std::size_t task, const std::function<int(int reportFd)>& work, std::string& error) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot start a worker: ") + std::strerror(errno);
        return false;
    }
    // What is buffered would otherwise be written twice, once by each process.
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int status = 1;
        try {
            status = work(fds[1]);
        } catch (...) {
            // Never unwind into the parent's loop in this copy of it.
        }
        _exit(status);
    }
    const int forkErrno = errno;
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        error = std::string("cannot start a worker: ") + std::strerror(forkErrno);
        return false;
    }
    m_running.push_back({pid, fds[0], task, Clock::now() + m_timeLimit, {}});
    return true;
}

bool WorkerPool::Wait(std::optional<Clock::time_point> wakeBy, std::vector<Ended>& ended, std::string& error) {
    if (m_running.empty()) {
        return true;
    }
    auto wake = std::min_element(m_running.begin(), m_running.end(), [](const Running& a, const Running& b) {
                    return a.deadline < b.deadline;
                })->deadline;
    if (wakeBy) {
        wake = std::min(wake, *wakeBy);
    }
    const auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()).count();
    std::vector<pollfd> polls;
    for (const Running& worker : m_running) {
        polls.push_back({worker.fd, POLLIN, 0});
    }
    const int ready =
        poll(polls.data(), polls.size(), static_cast<int>(std::clamp<long long>(waitMs + 1, 0, 60000)));
    if (ready < 0 && errno != EINTR) {
        error = std::strerror(errno);
        return false;
    }

    std::vector<Running> still;
    for (std::size_t i = 0; i < m_running.size(); ++i) {
        Running& worker = m_running[i];
        bool finished = false;
        if (polls[i].revents != 0) {
            char buffer[4096];
            const ssize_t n = read(worker.fd, buffer, sizeof buffer);
            if (n > 0) {
                worker.report.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                finished = true;  // the worker closed its end: it has exited
            }
        }
        const bool late = !finished && Clock::now() >= worker.deadline;
        if (late) {
            kill(worker.pid, SIGKILL);
        }
        if (finished || late) {
            const int status = Reap(worker.pid);
            close(worker.fd);
            ended.push_back({worker.task, worker.pid, status, late, std::move(worker.report)});
        } else {
            still.push_back(std::move(worker));
        }
    }
    m_running = std::move(still);
    return true;
}

}  // namespace zenthor
