#include "tests/app/zenthor_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>

namespace zenthor::test {
namespace {

using Clock = std::chrono::steady_clock;

// zenthor and `args`, behind `prefix` (a program that starts it), as strings and as the
// pointers execv takes (which point into them).
struct Argv {
    explicit Argv(const std::vector<std::string>& args, const std::vector<std::string>& prefix = {})
        : strings(prefix) {
        strings.push_back(ZENTHOR_EXE);
        strings.insert(strings.end(), args.begin(), args.end());
        for (std::string& s : strings) pointers.push_back(s.data());
        pointers.push_back(nullptr);
    }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
};

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

ProcessResult Run(const Argv& argv, const std::filesystem::path& folder, std::chrono::seconds limit) {
    // Output goes to unnamed temporary files, read once the program has ended: the workers
    // of a batch may hold them open longer than the program itself.
    using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
    File out(std::tmpfile(), std::fclose);
    File err(std::tmpfile(), std::fclose);
    const pid_t pid = out && err ? fork() : -1;
    if (pid < 0) throw std::runtime_error("cannot start " + argv.strings[0]);
    if (pid == 0) {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(fileno(out.get()), 1);
        dup2(fileno(err.get()), 2);
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        execv(argv.pointers[0], argv.pointers.data());
        _exit(127);
    }
    int status = 0;
    const auto deadline = Clock::now() + limit;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {ExitCodeOf(status), ReadAll(out.get()), ReadAll(err.get())};
}

}  // namespace

ProcessResult RunZenthor(const std::vector<std::string>& args, std::chrono::seconds limit) {
    return Run(Argv(args), {}, limit);
}

ProcessResult RunZenthor(const std::vector<std::string>& args, const RunOptions& options) {
    std::vector<std::string> prefix;
    if (options.asUser && geteuid() == 0) {
        prefix = {"/usr/bin/setpriv", "--bounding-set", "-dac_override,-dac_read_search"};
    }
    return Run(Argv(args, prefix), options.workingFolder, std::chrono::seconds(60));
}

TerminalSession::TerminalSession(const std::vector<std::string>& args) {
    Argv argv(args);
    winsize size{};
    size.ws_row = 40;
    size.ws_col = 100;
    const pid_t pid = forkpty(&m_master, nullptr, nullptr, &size);
    if (pid < 0) throw std::runtime_error("forkpty");
    if (pid == 0) {
        execv(argv.pointers[0], argv.pointers.data());
        _exit(127);
    }
    m_pid = pid;
}

TerminalSession::~TerminalSession() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0) close(m_master);
}

int TerminalSession::ReadSome(std::chrono::milliseconds limit) {
    pollfd fd{m_master, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(limit.count())) <= 0) return 0;
    char buffer[4096];
    const ssize_t n = read(m_master, buffer, sizeof buffer);
    if (n <= 0) return -1;  // the program has closed the terminal
    m_output.append(buffer, static_cast<std::size_t>(n));
    return 1;
}

bool TerminalSession::WaitFor(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const std::size_t at = m_output.find(text, m_seen);
        if (at != std::string::npos) {
            m_seen = at + text.size();
            return true;
        }
        if (Clock::now() >= deadline || ReadSome(std::chrono::milliseconds(50)) < 0) return false;
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
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            while (ReadSome(std::chrono::milliseconds(0)) > 0 && m_output.size() < (1u << 24)) {
            }
            return ExitCodeOf(status);
        }
    }
    return -1;
}

ZenthorServer::ZenthorServer(const std::vector<std::string>& args) : m_output(std::tmpfile()) {
    Argv argv(args);
    m_pid = m_output != nullptr ? fork() : -1;
    if (m_pid < 0) throw std::runtime_error("cannot start " + argv.strings[0]);
    if (m_pid == 0) {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(fileno(m_output), 1);
        dup2(fileno(m_output), 2);
        execv(argv.pointers[0], argv.pointers.data());
        _exit(127);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        const std::string text = Output();
        const std::size_t at = text.find("http://");
        const std::size_t end = at == std::string::npos ? at : text.find('\n', at);
        if (end != std::string::npos) {
            m_url = text.substr(at, end - at);
            m_port = std::stoi(m_url.substr(m_url.rfind(':') + 1));
            return;
        }
        if (waitpid(m_pid, nullptr, WNOHANG) != 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("the server did not start: " + Output());
}

ZenthorServer::~ZenthorServer() {
    Stop();
    std::fclose(m_output);
}

int ZenthorServer::Stop() {
    if (m_pid <= 0) return -1;
    kill(m_pid, SIGINT);
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            m_pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    return ExitCodeOf(status);
}

std::string ZenthorServer::Output() const {
    // Read through a file description of its own, so the server's write offset stays put.
    std::ifstream in("/proc/self/fd/" + std::to_string(fileno(m_output)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zenthor::test
