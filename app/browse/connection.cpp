#include "app/browse/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zenthor {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;

// Waits up to `timeout` for `events` on `fd`; true when one came.
bool WaitFor(int fd, short events, std::chrono::milliseconds timeout) {
    pollfd poll{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&poll, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void AddressOf(int fd, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int got = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                         : getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    if (got != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* in = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
        port = ntohs(in->sin6_port);
    }
    ip = text;
}

}  // namespace

Connection::Connection(UniqueFd socket, std::atomic<std::size_t>& open)
    : m_socket(std::move(socket)), m_open(open) {
    ++m_open;
}

Connection::~Connection() {
    --m_open;
}

bool Connection::ReadAvailable() {
    const std::size_t had = m_buffer.size();
    m_buffer.resize(had + kReadChunk);
    ssize_t n = -1;
    do {
        n = recv(Fd(), m_buffer.data() + had, kReadChunk, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    m_buffer.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
}

RequestHead Connection::TakeHead() {
    const std::string_view unread = Unread();
    RequestHead head = SplitRequestHead(unread.substr(0, m_scanner.Length()));
    m_buffer = std::move(head.text) + std::string(unread.substr(m_scanner.Length()));
    m_taken = 0;
    head.text.clear();
    return head;
}

void Connection::NextRequest() {
    m_buffer.erase(0, m_taken);
    m_taken = 0;
    m_scanner = RequestHeadScanner();
}

void Connection::SendNow(std::string_view answer) {
    (void)!send(Fd(), answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

std::size_t Connection::TakeUnread(char* out, std::size_t size) {
    const std::size_t n = std::min(size, m_buffer.size() - m_taken);
    std::memcpy(out, m_buffer.data() + m_taken, n);
    m_taken += n;
    return n;
}

bool ConnectionStream::is_readable() const {
    return !m_connection.Unread().empty() || WaitFor(m_connection.Fd(), POLLIN, m_readTimeout);
}

bool ConnectionStream::is_writable() const {
    return WaitFor(m_connection.Fd(), POLLOUT, m_writeTimeout);
}

ssize_t ConnectionStream::read(char* ptr, std::size_t size) {
    if (m_connection.Unread().empty()) {
        if (!WaitFor(m_connection.Fd(), POLLIN, m_readTimeout)) return -1;
        m_connection.NextRequest();  // nothing unread: the buffer starts again
        if (!m_connection.ReadAvailable()) return -1;
        if (m_connection.Unread().empty()) return 0;
    }
    return static_cast<ssize_t>(m_connection.TakeUnread(ptr, size));
}

ssize_t ConnectionStream::write(const char* ptr, std::size_t size) {
    if (!WaitFor(m_connection.Fd(), POLLOUT, m_writeTimeout)) return -1;
    ssize_t n = -1;
    do {
        n = send(m_connection.Fd(), ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    AddressOf(m_connection.Fd(), true, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    AddressOf(m_connection.Fd(), false, ip, port);
}

std::string ClosingAnswer(int status) {
    const char* line = status == 408   ? "408 Request Timeout"
                       : status == 431 ? "431 Request Header Fields Too Large"
                                       : "503 Service Unavailable\r\nRetry-After: 1";
    return std::string("HTTP/1.1 ") + line + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

}  // namespace zenthor
