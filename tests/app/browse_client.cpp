#include "tests/app/browse_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zenthor::test {

namespace fs = std::filesystem;

namespace {

Reply Parse(const std::string& response) {
    Reply reply;
    if (response.size() > 12) reply.status = std::stoi(response.substr(9, 3));
    const std::size_t body = response.find("\r\n\r\n");
    reply.head = response.substr(0, body);
    if (body != std::string::npos) reply.body = response.substr(body + 4);
    return reply;
}

}  // namespace

UniqueFd Connect(int port) {
    UniqueFd fd(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval limit{30, 0};
    setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fd.Reset();
    return fd;
}

std::string OwnHost(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

std::string Request(const std::string& host, const std::string& target, const std::string& headers,
                    const std::string& connection) {
    return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + headers + "Connection: " + connection +
           "\r\n\r\n";
}

void WriteText(const UniqueFd& fd, const std::string& text) {
    (void)!send(fd.Get(), text.data(), text.size(), MSG_NOSIGNAL);
}

Reply ReadToClose(const UniqueFd& fd) {
    std::string response;
    char buffer[65536];
    for (ssize_t n; (n = read(fd.Get(), buffer, sizeof buffer)) > 0;)
        response.append(buffer, static_cast<std::size_t>(n));
    return Parse(response);
}

Reply ReadOne(const UniqueFd& fd) {
    std::string response;
    char c;
    while (response.find("\r\n\r\n") == std::string::npos && read(fd.Get(), &c, 1) == 1)
        response.push_back(c);
    Reply reply = Parse(response);
    const std::size_t at = reply.head.find("Content-Length: ");
    std::size_t length = at == std::string::npos ? 0 : std::stoul(reply.head.substr(at + 16));
    char buffer[65536];
    for (ssize_t n; length > 0 && (n = read(fd.Get(), buffer, std::min(length, sizeof buffer))) > 0;) {
        reply.body.append(buffer, static_cast<std::size_t>(n));
        length -= static_cast<std::size_t>(n);
    }
    return reply;
}

Reply Send(int port, const std::string& target, const std::string& host, const std::string& headers) {
    const UniqueFd fd = Connect(port);
    if (!fd) return {};
    WriteText(fd, Request(host.empty() ? OwnHost(port) : host, target, headers));
    return ReadToClose(fd);
}

nlohmann::json Model(int port, const std::string& path, bool lods) {
    const Reply reply = Send(port, "/api/model?path=" + path + "&lods=" + (lods ? "1" : "0"));
    EXPECT_EQ(reply.status, 200) << path;
    return nlohmann::json::parse(reply.body, nullptr, false);
}

int WorkersWith(const std::string& marker) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        count += line.find("worker") != std::string::npos && line.find(marker) != std::string::npos ? 1 : 0;
    }
    return count;
}

std::vector<std::string> BrowseArgs(const TempContentTree& tree, std::vector<std::string> extra,
                                    const char* timeoutSeconds) {
    std::vector<std::string> args{"browse",      tree.Root().string(),
                                  "--port",      "0",
                                  "--cache-dir", (tree.Base() / "cache").string(),
                                  "--jobs",      "2",
                                  "--timeout",   timeoutSeconds};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

}  // namespace zenthor::test
