#include "app/browse/browse_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <vector>

#include "app/browse/browse_request.h"
#include "app/browse/connection.h"
#include "app/browse/head_reader.h"
#include "app/browse/import_cache.h"
#include "app/browse/import_wait.h"
#include "app/browse/responses.h"
#include "app/browse/serving_lane.h"
#include "app/workers/blocking_worker_pool.h"

namespace zenthor {
namespace {

using std::chrono::milliseconds;

// A client has this long to send a whole head, from its connection or its last answer on.
constexpr milliseconds kHeadTime(5000);
constexpr std::size_t kRequestsPerConnection = 100;
// The page's files and ready answers are quick; these threads answer them all.
constexpr std::size_t kPageThreads = 8;
// Requests that wait for an import: threads per import running at once (others wait for
// an import already running), and how many more may queue before they get 503.
constexpr unsigned kThreadsPerImport = 2;
constexpr std::size_t kImportQueue = 128;
constexpr milliseconds kReadTimeout(5000);
constexpr milliseconds kWriteTimeout(10000);
// A stopping server lets answers being sent finish for this long.
constexpr milliseconds kStopGrace(500);
constexpr std::size_t kMaxBody = 1024;

std::vector<std::string> HeaderValues(const httplib::Request& req, const char* name) {
    std::vector<std::string> values;
    for (auto [it, end] = req.headers.equal_range(name); it != end; ++it) values.push_back(it->second);
    return values;
}

// The library parses requests, routes them and writes answers. How connections are read
// and which thread answers them is this server's own: every accepted socket is handed over
// at once, and a request reaches the library only with its head whole.
class HttpServer final : public httplib::Server {
public:
    using Accepted = std::function<void(socket_t)>;
    explicit HttpServer(Accepted accepted) : m_accepted(std::move(accepted)) {
        new_task_queue = [] { return new RunAtOnce(); };
    }
    using httplib::Server::process_request;

    // The library listens with a backlog of 5: a burst of clients past it waits a second
    // or more for the system to retry each connection. Listening again widens it.
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

private:
    // The accepting thread only hands the socket over, so it runs its task itself.
    struct RunAtOnce final : httplib::TaskQueue {
        void enqueue(std::function<void()> fn) override { fn(); }
        void shutdown() override {}
    };

    bool process_and_close_socket(socket_t sock) override {
        m_accepted(sock);
        return true;
    }

    Accepted m_accepted;
};

}  // namespace

struct BrowseServer::Impl {
    Impl(BrowseSite site, ImportCache& cache, unsigned imports)
        : contentRoot(site.contentRoot),
          cache(cache),
          handlers(std::move(site), cache),
          pageLane(kPageThreads, kMaxBrowseConnections,
                   [this](std::unique_ptr<Connection> c) { Choose(std::move(c)); }),
          importLane(std::max(1u, imports) * kThreadsPerImport, kImportQueue,
                     [this](std::unique_ptr<Connection> c) { Answer(std::move(c)); }) {}

    std::filesystem::path contentRoot;
    ImportCache& cache;
    RouteHandlers handlers;
    std::vector<std::string> allowedHosts;
    std::atomic<std::size_t> open{0};
    std::atomic<bool> stopping{false};
    HttpServer server{[this](socket_t sock) { Accept(sock); }};
    HeadReader heads{kHeadTime, [this](std::unique_ptr<Connection> c) { ToPageLane(std::move(c)); }};
    // Declared after what their threads use, so they end first.
    ServingLane pageLane;
    ServingLane importLane;

    void Accept(socket_t sock) {
        UniqueFd socket(sock);
        if (stopping || open >= kMaxBrowseConnections) {
            const std::string busy = ClosingAnswer(503);
            (void)!send(sock, busy.data(), busy.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            return;
        }
        // Headers and body go out in separate writes; without this each answer waits for
        // the client's delayed acknowledgement.
        const int yes = 1;
        setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        heads.Read(std::make_unique<Connection>(std::move(socket), open));
    }

    void ToPageLane(std::unique_ptr<Connection> connection) {
        if (auto refused = pageLane.Offer(std::move(connection)))
            heads.Close(std::move(refused), ClosingAnswer(503));
    }

    // On a page thread: answers here, or queues the request for an import's thread.
    void Choose(std::unique_ptr<Connection> connection) {
        connection->head = connection->TakeHead();
        if (!stopping && WaitsForImport(connection->head.target, contentRoot, cache)) {
            if (auto refused = importLane.Offer(std::move(connection))) {
                heads.Close(std::move(refused), ClosingAnswer(503));
            }
            return;
        }
        Answer(std::move(connection));
    }

    void Answer(std::unique_ptr<Connection> connection) {
        ConnectionStream stream(*connection, kReadTimeout, kWriteTimeout);
        const bool last = ++connection->requests >= kRequestsPerConnection || stopping;
        bool closed = false;
        // The Range lines were taken out of the head, so the library serves no range of its
        // own; they come back for AnswerRange.
        const bool answered = server.process_request(stream, last, closed, [&](httplib::Request& req) {
            for (const std::string& range : connection->head.ranges) req.headers.emplace("Range", range);
        });
        if (answered && !closed && !last && !stopping) {
            heads.Read(std::move(connection));
        } else {
            heads.Close(std::move(connection));
        }
    }

    void Drain() {
        stopping = true;
        heads.Stop(ClosingAnswer(503));
        for (auto* lane : {&pageLane, &importLane}) {
            for (const auto& waiting : lane->Close()) waiting->SendNow(ClosingAnswer(503));
        }
        const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
        for (auto* lane : {&pageLane, &importLane}) {
            const auto left =
                std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
            if (!lane->WaitIdle(std::max(left, milliseconds(0)))) lane->Interrupt();
        }
        pageLane.Join();
        importLane.Join();
    }

    using Handle = void (RouteHandlers::*)(const httplib::Request&, httplib::Response&) const;
    httplib::Server::Handler Route(Handle handle) {
        return [this, handle](const httplib::Request& req, httplib::Response& res) {
            (handlers.*handle)(req, res);
        };
    }

    void Routes() {
        server.Get("/", Route(&RouteHandlers::HandlePage));
        server.Get(R"(/assets/(.+))", Route(&RouteHandlers::HandleAsset));
        server.Get(R"(/vendor/three/(.+))", Route(&RouteHandlers::HandleVendor));
        server.Get("/api/models", Route(&RouteHandlers::HandleModels));
        server.Get("/api/model", Route(&RouteHandlers::HandleModel));
        server.Get("/api/view", Route(&RouteHandlers::HandleView));
        server.Get("/api/thumbnail", Route(&RouteHandlers::HandleThumbnail));
        server.Get("/api/thumbnails", Route(&RouteHandlers::HandleThumbnails));
        server.Get("/api/download", Route(&RouteHandlers::HandleDownload));
        server.Get("/api/texture", Route(&RouteHandlers::HandleTexture));
    }

    void Limits() {
        // Said in the Keep-Alive header; the head reader holds connections to them.
        server.set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(kHeadTime).count());
        server.set_keep_alive_max_count(kRequestsPerConnection);
        server.set_payload_max_length(kMaxBody);
        // SO_REUSEADDR only: a restart binds past the last run's closing connections, but a
        // second server on the same port fails (the library's default SO_REUSEPORT would
        // let both listen and split the requests between them).
        server.set_socket_options([](socket_t sock) {
            const int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (!HostAllowed(req.get_header_value("Host"), allowedHosts)) {
                res.status = 403;
                return httplib::Server::HandlerResponse::Handled;
            }
            if (!MethodAllowed(req.method)) {
                res.status = 405;
                return httplib::Server::HandlerResponse::Handled;
            }
            if (req.path.rfind("/api/", 0) == 0 &&
                !SameOriginRequest(HeaderValues(req, "Origin"), HeaderValues(req, "Sec-Fetch-Site"),
                                   allowedHosts)) {
                res.status = 403;
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        server.set_post_routing_handler(
            [](const httplib::Request& req, httplib::Response& res) { AnswerRange(req, res); });
        // No detail for anything refused or failed: an empty body.
        server.set_error_handler([](const httplib::Request&, httplib::Response& res) { res.body.clear(); });
        server.set_exception_handler(
            [](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
                res.status = 500;
                try {
                    std::rethrow_exception(error);
                } catch (const WorkersStopped&) {
                    res.status = 503;  // the server is stopping
                } catch (...) {
                }
                res.body.clear();
            });
        server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                    {"Referrer-Policy", "no-referrer"},
                                    {"X-Frame-Options", "DENY"},
                                    {"Content-Security-Policy", "frame-ancestors 'none'"}});
    }
};

BrowseServer::BrowseServer(BrowseSite site, ImportCache& cache)
    : m_impl(new Impl(site, cache, site.jobs)) {
    m_impl->Limits();
    m_impl->Routes();
}

BrowseServer::~BrowseServer() {
    m_impl->Drain();
}

int BrowseServer::Bind(const std::string& address, int port, std::error_code& error) {
    // The library reports a failed bind or listen as false alone; the call that failed
    // left its errno.
    errno = 0;
    const int bound = port == 0 ? m_impl->server.bind_to_any_port(address)
                                : (m_impl->server.bind_to_port(address, port) ? port : -1);
    if (bound > 0) {
        m_impl->server.WidenBacklog();
        m_impl->allowedHosts = HostNamesFor(address, bound);
        error.clear();
    } else {
        error = std::error_code(errno != 0 ? errno : EADDRNOTAVAIL, std::generic_category());
    }
    return bound;
}

void BrowseServer::Serve() {
    m_impl->server.listen_after_bind();
    m_impl->Drain();
}

void BrowseServer::Stop() {
    m_impl->stopping = true;
    m_impl->server.stop();
}

}  // namespace zenthor
