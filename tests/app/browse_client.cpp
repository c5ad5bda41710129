#include "tests/app/browse_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zenthor::test {

namespace fs = std::filesystem;

Reply Send(int port, const std::string& target, const std::string& host) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    Reply reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: " +
                                    (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) +
                                    "\r\nConnection: close\r\n\r\n";
        (void)!write(fd, request.data(), request.size());
        std::string response;
        char buffer[65536];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) response.append(buffer, static_cast<std::size_t>(n));
        if (response.size() > 12) reply.status = std::stoi(response.substr(9, 3));
        const std::size_t body = response.find("\r\n\r\n");
        reply.head = response.substr(0, body);
        if (body != std::string::npos) reply.body = response.substr(body + 4);
    }
    close(fd);
    return reply;
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
    std::vector<std::string> args{"browse", tree.Root().string(), "--port", "0", "--cache-dir",
                                  (tree.Base() / "cache").string(), "--jobs", "2", "--timeout", timeoutSeconds};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

}  // namespace zenthor::test
