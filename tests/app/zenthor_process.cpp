#include "tests/app/zenthor_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace zenthor::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProcessResult RunZenthor(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         std::chrono::seconds limit) {
    std::vector<std::string> argv{ZENTHOR_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = Environment(env);
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        throw std::runtime_error("cannot start " + argv[0]);
    }

    ProcessResult result;
    const auto deadline = Clock::now() + limit;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && Clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && fds[i].revents != 0) {
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    if (open > 0) {
        kill(pid, SIGKILL);
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = ExitCodeOf(status);
    return result;
}

TerminalSession::TerminalSession(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZENTHOR_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers = Pointers(argv);
    winsize size{};
    size.ws_row = 40;
    size.ws_col = 100;
    const pid_t pid = forkpty(&m_master, nullptr, nullptr, &size);
    if (pid < 0) {
        throw std::runtime_error("forkpty");
    }
    if (pid == 0) {
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    m_pid = pid;
}

TerminalSession::~TerminalSession() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0) {
        close(m_master);
    }
}

bool TerminalSession::ReadSome(std::chrono::milliseconds limit) {
    pollfd fd{m_master, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(limit.count())) <= 0) {
        return true;  // nothing yet
    }
    char buffer[4096];
    const ssize_t n = read(m_master, buffer, sizeof buffer);
    if (n <= 0) {
        return false;  // the program has closed the terminal
    }
    m_output.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool TerminalSession::WaitFor(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const std::size_t at = m_output.find(text, m_seen);
        if (at != std::string::npos) {
            m_seen = at + text.size();
            return true;
        }
        if (Clock::now() >= deadline || !ReadSome(std::chrono::milliseconds(50))) {
            return false;
        }
    }
}

void TerminalSession::Send(const std::string& keys) {
    const ssize_t written = write(m_master, keys.data(), keys.size());
    (void)written;
}

int TerminalSession::Wait(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        ReadSome(std::chrono::milliseconds(50));  // keep the terminal drained
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_pid = -1;
            while (ReadSome(std::chrono::milliseconds(0)) && m_output.size() < (1u << 24)) {
                pollfd fd{m_master, POLLIN, 0};
                if (poll(&fd, 1, 0) <= 0) {
                    break;
                }
            }
            return ExitCodeOf(status);
        }
    }
    return -1;
}

}  // namespace zenthor::test
