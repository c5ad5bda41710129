#include "app/workers/worker_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/support/program_path.h"
#include "app/support/write_all.h"
#include "app/workers/worker_protocol.h"

extern char** environ;

namespace zenthor {
namespace {

// Where the line "end" starts in `text`, or npos: only a whole line counts.
std::size_t FindEndLine(const std::string& text) {
    if (text.compare(0, kEndLine.size(), kEndLine) == 0) {
        return 0;
    }
    const std::size_t at = text.find("\n" + std::string(kEndLine));
    return at == std::string::npos ? at : at + 1;
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

WorkerCommand SelfWorkerCommand(const std::vector<std::string>& pluginDirs) {
    const std::filesystem::path program = ProgramPath();
    WorkerCommand command{program.empty() ? std::string("zenthor") : program.string(), {"zenthor", "worker"}, {}};
    for (const std::string& dir : pluginDirs) {
        command.args.push_back("--plugin-dir");
        command.args.push_back(dir);
    }
    return command;
}

WorkerCommand ConfinedWorkerCommand(WorkerCommand command, const std::filesystem::path& readable,
                                    const std::filesystem::path& writable) {
    command.args.insert(command.args.end(), {"--confine-to", readable.string(), "--writable", writable.string()});
    command.confinedTo = {readable, writable};
    return command;
}

unsigned WorkerCount(unsigned jobs) {
    return jobs > 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
}

std::string DescribeWorkerFailure(const WorkerRun& run, double timeLimitSeconds) {
    char text[128];
    switch (run.end) {
        case WorkerRun::End::Answered:
            return "";
        case WorkerRun::End::StartFailed:
            return run.error;
        case WorkerRun::End::Stopped:
            return "the import was stopped";
        case WorkerRun::End::TimedOut:
            std::snprintf(text, sizeof text, "the import took longer than %g s and was stopped", timeLimitSeconds);
            return text;
        case WorkerRun::End::Crashed:
            break;
    }
    if (WIFSIGNALED(run.status)) {
        const int signal = WTERMSIG(run.status);
        return "the import crashed (signal " + std::to_string(signal) + ", " + strsignal(signal) + ")";
    }
    return "the worker ended without a result (exit status " +
           std::to_string(WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1) + ")";
}

WorkerProcess::WorkerProcess(WorkerCommand command) : m_command(std::move(command)) {}

WorkerProcess::~WorkerProcess() {
    Stop(false);
}

std::vector<std::pair<dev_t, ino_t>> WorkerProcess::ConfinedFolders() const {
    std::vector<std::pair<dev_t, ino_t>> ids;
    for (const std::filesystem::path& folder : m_command.confinedTo) {
        struct stat status {};
        ids.emplace_back(stat(folder.c_str(), &status) == 0 ? std::pair(status.st_dev, status.st_ino)
                                                            : std::pair<dev_t, ino_t>());
    }
    return ids;
}

bool WorkerProcess::Start(std::string& error) {
    m_confinedFolders = ConfinedFolders();
    int jobs[2];
    int reports[2];
    if (pipe2(jobs, O_CLOEXEC) != 0) {
        error = std::string("cannot start a worker: ") + std::strerror(errno);
        return false;
    }
    if (pipe2(reports, O_CLOEXEC) != 0) {
        error = std::string("cannot start a worker: ") + std::strerror(errno);
        close(jobs[0]);
        close(jobs[1]);
        return false;
    }
    // The worker sees its pipes at fixed numbers; stdout stays the terminal's, so nothing a
    // plug-in prints can be mistaken for a report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, jobs[0], kJobFd);
    posix_spawn_file_actions_adddup2(&actions, reports[1], kReportFd);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (std::string& arg : m_command.args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, m_command.program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(jobs[0]);
    close(reports[1]);
    if (spawned != 0) {
        close(jobs[1]);
        close(reports[0]);
        error = "cannot start a worker (" + m_command.program + "): " + std::strerror(spawned);
        return false;
    }
    signal(SIGPIPE, SIG_IGN);
    m_pid = pid;
    m_jobs = jobs[1];
    m_reports = reports[0];
    m_buffer.clear();
    return true;
}

int WorkerProcess::Stop(bool killIt) {
    CloseFd(m_jobs);
    CloseFd(m_reports);
    int status = 0;
    if (m_pid > 0) {
        if (killIt) {
            kill(m_pid, SIGKILL);
        }
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    m_pid = -1;
    return status;
}

WorkerRun WorkerProcess::EndRun(WorkerRun& run, WorkerRun::End end, bool killIt) {
    run.end = end;
    run.report = std::move(m_buffer);
    run.status = Stop(killIt);
    return run;
}

WorkerRun WorkerProcess::Run(const std::string& job, Clock::time_point deadline, int stopFd) {
    WorkerRun run;
    if (m_pid > 0 && !m_command.confinedTo.empty() && ConfinedFolders() != m_confinedFolders) {
        Stop(false);  // idle: it ends as its job pipe closes
    }
    if (m_pid < 0 && !Start(run.error)) {
        return run;
    }
    run.pid = m_pid;
    // A worker that died between jobs shows it here, as a closed pipe (SIGPIPE is ignored).
    WriteAll(m_jobs, job + "\n");
    for (;;) {
        if (const std::size_t end = FindEndLine(m_buffer); end != std::string::npos) {
            run.end = WorkerRun::End::Answered;
            run.report = m_buffer.substr(0, end);
            m_buffer.erase(0, end + kEndLine.size());
            if (const std::size_t retire = run.report.rfind(kRetireLine);
                retire != std::string::npos && retire + kRetireLine.size() == run.report.size()) {
                run.report.erase(retire);
                Stop(false);
            }
            return run;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return EndRun(run, WorkerRun::End::TimedOut, true);
        }
        pollfd polls[2] = {{m_reports, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(polls, stopFd >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, 60000))) < 0 &&
            errno != EINTR) {
            run.error = std::strerror(errno);
        }
        if (polls[1].revents != 0) {
            return EndRun(run, WorkerRun::End::Stopped, true);
        }
        if (polls[0].revents == 0) {
            continue;
        }
        char buffer[16384];
        const ssize_t n = read(m_reports, buffer, sizeof buffer);
        if (n > 0) {
            m_buffer.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return EndRun(run, WorkerRun::End::Crashed, false);
        }
    }
}

}  // namespace zenthor
