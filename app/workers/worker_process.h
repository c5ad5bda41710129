// One long-lived worker: a `zenthor worker` process that imports file after file, each job
// sent as one line on its job pipe and answered with report lines ending in "end". A job
// that crashes the worker or passes its deadline costs only that job: the worker is
// stopped, and the next job starts a fresh one.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <utility>
#include <string>
#include <vector>

namespace zenthor {

// How to start a worker: the program and its arguments (argv[0] included).
struct WorkerCommand {
    std::string program;
    std::vector<std::string> args;
    // The folders the worker is confined to. The kernel holds it to the folders as they were
    // when it started, so a worker started before one of them was made again (removed and
    // created anew) is replaced before its next job.
    std::vector<std::filesystem::path> confinedTo;
};

// The command for this program's own `worker` subcommand, with these plug-in folders.
WorkerCommand SelfWorkerCommand(const std::vector<std::string>& pluginDirs);

// `command` confined to reading below `readable` and reading and writing below `writable`
// (file_confinement.h).
WorkerCommand ConfinedWorkerCommand(WorkerCommand command, const std::filesystem::path& readable,
                                    const std::filesystem::path& writable);

// How many workers run for a --jobs value: that many, or one per core for 0.
unsigned WorkerCount(unsigned jobs);

struct WorkerRun {
    enum class End {
        Answered,     // the worker wrote the whole report
        Crashed,      // it ended before finishing the report
        TimedOut,     // it passed the deadline and was stopped
        StartFailed,  // no worker could be started
        Stopped,      // the caller stopped it (its stop descriptor became readable)
    };
    End end = End::StartFailed;
    int status = 0;      // as waitpid gives it, for a worker that ended
    pid_t pid = -1;      // the worker that ran the job; -1 when none could be started
    std::string report;  // the report lines, without the closing "end"
    std::string error;   // StartFailed: why
};

// What went wrong with a job that was not answered, as the user reads it: "the import
// crashed (signal 11, Segmentation fault)", "the import took longer than 300 s and was
// stopped", ...; empty for an answered job.
std::string DescribeWorkerFailure(const WorkerRun& run, double timeLimitSeconds);

class WorkerProcess {
public:
    using Clock = std::chrono::steady_clock;

    explicit WorkerProcess(WorkerCommand command);
    ~WorkerProcess();  // closes the job pipe (the worker then ends) and reaps it
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    // Sends one job line (no line break in it) and reads the report until its "end" line,
    // starting the worker first when none runs. When `stopFd` (when not -1) becomes
    // readable, the worker is killed and the job ends as Stopped.
    WorkerRun Run(const std::string& job, Clock::time_point deadline, int stopFd = -1);

    // The running worker's process id; -1 when none runs.
    pid_t Pid() const { return m_pid; }

private:
    bool Start(std::string& error);
    int Stop(bool kill);
    // Ends a job that was not answered: what the worker wrote so far, and how it ended.
    WorkerRun EndRun(WorkerRun& run, WorkerRun::End end, bool killIt);

    // Which folders the command's confinedTo named when the worker started: device and inode.
    std::vector<std::pair<dev_t, ino_t>> ConfinedFolders() const;

    WorkerCommand m_command;
    std::vector<std::pair<dev_t, ino_t>> m_confinedFolders;
    pid_t m_pid = -1;
    int m_jobs = -1;     // write end of the job pipe
    int m_reports = -1;  // read end of the report pipe
    std::string m_buffer;  // read past the last report
};

}  // namespace zenthor
