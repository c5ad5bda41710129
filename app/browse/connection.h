// One client's connection from accept to close: its socket, the bytes read from it that no
// request has taken yet, and the stream the HTTP library reads a request from and writes
// its answer to.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/browse/browse_request.h"
#include "app/support/unique_fd.h"

namespace zenthor {

class Connection {
public:
    using Clock = std::chrono::steady_clock;

    // Counts itself in `open` while it lives.
    Connection(UniqueFd socket, std::atomic<std::size_t>& open);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int Fd() const { return m_socket.Get(); }

    // Reads what the socket has now (it does not wait) onto the unread bytes; false when the
    // client has closed or the connection failed.
    bool ReadAvailable();
    // The unread bytes; the next request's head starts at their beginning.
    std::string_view Unread() const { return std::string_view(m_buffer).substr(m_taken); }
    // Scans the unread bytes for a whole head (RequestHeadScanner).
    RequestHeadScanner::Status ScanHead() { return m_scanner.Scan(Unread()); }
    // A complete head is replaced by what the library is to read instead (SplitRequestHead).
    RequestHead TakeHead();
    // The next head is looked for in the bytes left unread.
    void NextRequest();

    // Sends a short answer without waiting (whatever does not fit at once is dropped).
    void SendNow(std::string_view answer);

    // The head of the request being answered, once taken; how many requests this
    // connection has had; when the client must have sent its next head by.
    RequestHead head;
    std::size_t requests = 0;
    Clock::time_point deadline;

private:
    friend class ConnectionStream;
    // Takes up to `size` unread bytes.
    std::size_t TakeUnread(char* out, std::size_t size);

    UniqueFd m_socket;
    std::atomic<std::size_t>& m_open;
    std::string m_buffer;
    std::size_t m_taken = 0;  // bytes of m_buffer already read by a request
    RequestHeadScanner m_scanner;
};

// The connection as the HTTP library's stream: its unread bytes first, then the socket, each
// read and write waiting at most its timeout.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(Connection& connection, std::chrono::milliseconds readTimeout,
                     std::chrono::milliseconds writeTimeout)
        : m_connection(connection), m_readTimeout(readTimeout), m_writeTimeout(writeTimeout) {}

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, std::size_t size) override;
    ssize_t write(const char* ptr, std::size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_connection.Fd(); }

private:
    Connection& m_connection;
    std::chrono::milliseconds m_readTimeout;
    std::chrono::milliseconds m_writeTimeout;
};

// A whole answer with no body that ends the connection: 408, 431 and 503 (the last with
// "Retry-After: 1").
std::string ClosingAnswer(int status);

}  // namespace zenthor
