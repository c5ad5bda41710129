// Runs the built zenthor program as a user would: as its own process, with arguments,
// and either plain pipes or a pseudo-terminal.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zenthor::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs zenthor with `args`, standard input from /dev/null. Gives up (and kills it) after
// `limit`.
ProcessResult RunZenthor(const std::vector<std::string>& args,
                         std::chrono::seconds limit = std::chrono::seconds(60));

struct RunOptions {
    std::filesystem::path workingFolder;  // the test's own when empty
    // Run by root, the program gives up the privilege to read and write every file, so that
    // permissions count as they do for a user.
    bool asUser = false;
};
ProcessResult RunZenthor(const std::vector<std::string>& args, const RunOptions& options);

// zenthor on a pseudo-terminal: standard input, output and error are the terminal.
class TerminalSession {
public:
    explicit TerminalSession(const std::vector<std::string>& args);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Reads until everything written since the last call (or the start) holds `text`;
    // false when the program ends or the time runs out first.
    bool WaitFor(const std::string& text, std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
    void Send(const std::string& keys);
    // Waits for the program to end and gives its exit code (-1 when it did not end in time).
    int Wait(std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
    // Everything the program wrote.
    const std::string& Output() const { return m_output; }

private:
    // Appends what the terminal holds within `limit`: 1 when it read, 0 when nothing came,
    // -1 when the program has closed the terminal.
    int ReadSome(std::chrono::milliseconds limit);

    int m_master = -1;
    int m_pid = -1;
    std::string m_output;
    std::size_t m_seen = 0;  // where the next WaitFor starts looking
};

// `zenthor browse` (or any command that prints its URL) running in the background: started
// with `args`, ready once it has printed "http://..."; stopped with Ctrl-C (SIGINT) by Stop
// or the destructor.
class ZenthorServer {
public:
    explicit ZenthorServer(const std::vector<std::string>& args);
    ~ZenthorServer();
    ZenthorServer(const ZenthorServer&) = delete;
    ZenthorServer& operator=(const ZenthorServer&) = delete;

    const std::string& Url() const { return m_url; }  // "http://127.0.0.1:PORT/"
    int Port() const { return m_port; }
    int Pid() const { return m_pid; }
    // Sends SIGINT and waits; the exit code, -1 when it did not end in time by itself.
    int Stop();
    // Everything it printed on standard output and error until now.
    std::string Output() const;

private:
    int m_pid = -1;
    int m_port = -1;
    std::string m_url;
    std::FILE* m_output = nullptr;
};

}  // namespace zenthor::test
