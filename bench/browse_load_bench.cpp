// zenthor browse against clients that are slow, many or hostile, each figure beside a floor
// measured in the same run. A probe is one request at a time, alternately the page (/) and
// a model's answer the server has kept, 200 in all; its latencies give p50 and p99.
// - Idle: the probe on an idle server: the floor.
// - SlowClients: the probe while 64 clients each send a header line every second (a
//   connection cut at its head's deadline is opened again). Target: p99 at most 200 ms.
// - HangingImports: the probe while 64 requests wait for imports that never end (a test
//   plug-in hangs on them; two workers). Target: p99 at most 200 ms.
// - HeaderFlood: the server's peak resident memory after four clients at once each sent
//   13,000 header lines of 8 KB, against the idle server's: bounded, not growing with the
//   flood.
// - Stop: seconds from Ctrl-C to the end of the process with 40 imports queued, against an
//   idle server's. Target: at most 2 s.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_main.h"
#include "bench/browse_process.h"
#include "tests/support/temp_content_tree.h"

namespace {

using namespace zenthor::bench;
using Clock = std::chrono::steady_clock;

constexpr int kProbes = 200;
constexpr int kSlowClients = 64;
constexpr int kHangingImports = 64;
constexpr int kQueuedAtStop = 40;
constexpr int kFloods = 4;
constexpr int kFloodLines = 13000;

std::unique_ptr<zenthor::test::TempContentTree> g_tree;
// The floor, from Idle.
double g_idleP99 = 0;
double g_idleStopSeconds = 0;
double g_idlePeakKib = 0;

std::vector<std::string> ServerArgs(const std::string& cache) {
    return {g_tree->Root().string(),
            "--port",
            "0",
            "--cache-dir",
            (g_tree->Base() / cache).string(),
            "--jobs",
            "2",
            "--timeout",
            "600",
            "--plugin-dir",
            ZENTHOR_FAULT_MODEL_PLUGIN_DIR};
}

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string Get(int port, const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nConnection: close\r\n\r\n";
}

// One request on a connection of its own; its status.
int Ask(int port, const std::string& target) {
    const int fd = Connect(port);
    if (fd < 0) return 0;
    const std::string request = Get(port, target);
    (void)!send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string response;
    char buffer[16384];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        response.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return response.size() > 12 ? std::stoi(response.substr(9, 3)) : 0;
}

void WaitForAnAnswer(int port) {
    Ask(port, "/api/model?path=models/slow.model");  // made, then kept
}

// The probe: the page and a kept answer in turn; p50 and p99 in ms into the counters.
void Probe(benchmark::State& state, int port) {
    std::vector<double> ms;
    int failed = 0;
    for (int i = 0; i < kProbes; ++i) {
        const auto start = Clock::now();
        failed += Ask(port, i % 2 == 0 ? "/" : "/api/model?path=models/slow.model") != 200;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::sort(ms.begin(), ms.end());
    const double p99 = ms[ms.size() * 99 / 100];
    state.counters["p50_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = p99;
    state.counters["failed"] = failed;
    if (g_idleP99 > 0) state.counters["p99_x_idle"] = p99 / g_idleP99;
}

void BM_Idle(benchmark::State& state) {
    for (auto _ : state) {
        BrowseProcess server(ServerArgs("cache-idle"));
        WaitForAnAnswer(server.Port());
        Probe(state, server.Port());
        g_idleP99 = state.counters["p99_ms"];
        g_idlePeakKib = server.Kib("VmHWM");
        g_idleStopSeconds = server.Stop();
        state.counters["stop_s"] = g_idleStopSeconds;
        state.counters["peak_MiB"] = g_idlePeakKib / 1024;
    }
}

void BM_SlowClients(benchmark::State& state) {
    for (auto _ : state) {
        BrowseProcess server(ServerArgs("cache-slow"));
        WaitForAnAnswer(server.Port());
        std::atomic<bool> done{false};
        std::atomic<int> sending{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < kSlowClients; ++c) {
            clients.emplace_back([&, port = server.Port()] {
                bool counted = false;
                while (!done) {
                    const int fd = Connect(port);
                    const timeval second{1, 0};
                    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &second, sizeof second);
                    const std::string line = "GET / HTTP/1.1\r\n";
                    (void)!send(fd, line.data(), line.size(), MSG_NOSIGNAL);
                    if (!counted) ++sending, counted = true;
                    char buffer[256];
                    // A header line a second until the server ends the connection.
                    while (!done && send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL) > 0 &&
                           recv(fd, buffer, sizeof buffer, 0) < 0) {
                    }
                    close(fd);
                }
            });
        }
        while (sending < kSlowClients) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Probe(state, server.Port());
        done = true;
        for (std::thread& client : clients) client.join();
    }
}

void BM_HangingImports(benchmark::State& state) {
    for (auto _ : state) {
        BrowseProcess server(ServerArgs("cache-hang"));
        WaitForAnAnswer(server.Port());
        std::vector<std::thread> clients;
        for (int i = 0; i < kHangingImports; ++i) {
            clients.emplace_back([&, i, port = server.Port()] {
                Ask(port, "/api/model?path=d" + std::to_string(i) + "/hang.model");
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // all taken
        Probe(state, server.Port());
        server.Stop();  // the hanging requests get 503
        for (std::thread& client : clients) client.join();
    }
}

void BM_HeaderFlood(benchmark::State& state) {
    for (auto _ : state) {
        BrowseProcess server(ServerArgs("cache-flood"));
        const std::string line = "X-Flood: " + std::string(8000, 'a') + "\r\n";
        std::atomic<std::int64_t> sent{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < kFloods; ++c) {
            clients.emplace_back([&, port = server.Port()] {
                const int fd = Connect(port);
                const std::string start = "GET / HTTP/1.1\r\n";
                (void)!send(fd, start.data(), start.size(), MSG_NOSIGNAL);
                for (int i = 0; i < kFloodLines; ++i) {
                    const ssize_t n = send(fd, line.data(), line.size(), MSG_NOSIGNAL);
                    if (n <= 0) break;  // refused and closed
                    sent += n;
                }
                close(fd);
            });
        }
        for (std::thread& client : clients) client.join();
        const double peak = server.Kib("VmHWM");
        state.counters["peak_MiB"] = peak / 1024;
        state.counters["rss_MiB"] = server.Kib("VmRSS") / 1024;
        state.counters["sent_MiB"] = static_cast<double>(sent) / (1 << 20);
        if (g_idlePeakKib > 0) state.counters["peak_x_idle"] = peak / g_idlePeakKib;
    }
}

void BM_Stop(benchmark::State& state) {
    for (auto _ : state) {
        BrowseProcess server(ServerArgs("cache-stop"));
        std::vector<std::thread> clients;
        for (int i = 0; i < kQueuedAtStop; ++i) {
            clients.emplace_back([&, i, port = server.Port()] {
                Ask(port, "/api/model?path=d" + std::to_string(i) + "/hang.model");
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double seconds = server.Stop();
        for (std::thread& client : clients) client.join();
        state.counters["stop_s"] = seconds;
        if (g_idleStopSeconds > 0) state.counters["stop_x_idle"] = seconds / g_idleStopSeconds;
    }
}

BENCHMARK(BM_Idle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SlowClients)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_HangingImports)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_HeaderFlood)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Stop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(
        argc, argv,
        [] {
            g_tree = std::make_unique<zenthor::test::TempContentTree>();
            // The test plug-in takes every .model: "slow" fails after half a second (an
            // answer that is kept), "hang" never returns.
            g_tree->Write("models/slow.model", std::vector<std::uint8_t>{1});
            for (int i = 0; i < std::max(kHangingImports, kQueuedAtStop); ++i) {
                g_tree->Write("d" + std::to_string(i) + "/hang.model", std::vector<std::uint8_t>{1});
            }
        },
        [] { g_tree.reset(); });
}
