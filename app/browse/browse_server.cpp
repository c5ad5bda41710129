#include "app/browse/browse_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <cerrno>
#include <vector>

#include "app/browse/browse_request.h"

namespace zenthor {
namespace {

// Enough threads that a few slow or idle connections cannot keep others waiting; imports
// themselves are bounded by the workers, not by these.
constexpr std::size_t kServerThreads = 32;
constexpr time_t kTimeoutSeconds = 10;
constexpr std::size_t kMaxBody = 1024;

}  // namespace

struct BrowseServer::Impl {
    RouteHandlers handlers;
    httplib::Server server;
    std::vector<std::string> allowedHosts;

    using Handle = void (RouteHandlers::*)(const httplib::Request&, httplib::Response&) const;
    httplib::Server::Handler Route(Handle handle) {
        return [this, handle](const httplib::Request& req, httplib::Response& res) { (handlers.*handle)(req, res); };
    }

    void Routes() {
        server.Get("/", Route(&RouteHandlers::HandlePage));
        server.Get(R"(/assets/(.+))", Route(&RouteHandlers::HandleAsset));
        server.Get(R"(/vendor/three/(.+))", Route(&RouteHandlers::HandleVendor));
        server.Get("/api/models", Route(&RouteHandlers::HandleModels));
        server.Get("/api/model", Route(&RouteHandlers::HandleModel));
        server.Get("/api/view", Route(&RouteHandlers::HandleView));
        server.Get("/api/thumbnail", Route(&RouteHandlers::HandleThumbnail));
        server.Get("/api/download", Route(&RouteHandlers::HandleDownload));
        server.Get("/api/texture", Route(&RouteHandlers::HandleTexture));
    }

    void Limits() {
        server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
        server.set_read_timeout(kTimeoutSeconds, 0);
        server.set_write_timeout(kTimeoutSeconds, 0);
        server.set_keep_alive_timeout(kTimeoutSeconds);
        server.set_payload_max_length(kMaxBody);
        // Headers and body go out in separate writes; without this each answer waits for
        // the client's delayed acknowledgement.
        server.set_tcp_nodelay(true);
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
            return httplib::Server::HandlerResponse::Unhandled;
        });
        // No detail for anything refused or failed: an empty body.
        server.set_error_handler([](const httplib::Request&, httplib::Response& res) { res.body.clear(); });
        server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            res.status = 500;
            res.body.clear();
        });
        server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
    }
};

BrowseServer::BrowseServer(BrowseSite site, ImportCache& cache)
    : m_impl(new Impl{RouteHandlers(std::move(site), cache), {}, {}}) {
    m_impl->Limits();
    m_impl->Routes();
}

BrowseServer::~BrowseServer() = default;

int BrowseServer::Bind(const std::string& address, int port, std::error_code& error) {
    // The library reports a failed bind or listen as false alone; the call that failed
    // left its errno.
    errno = 0;
    const int bound = port == 0 ? m_impl->server.bind_to_any_port(address)
                                : (m_impl->server.bind_to_port(address, port) ? port : -1);
    if (bound > 0) {
        m_impl->allowedHosts = HostNamesFor(address, bound);
        error.clear();
    } else {
        error = std::error_code(errno != 0 ? errno : EADDRNOTAVAIL, std::generic_category());
    }
    return bound;
}

void BrowseServer::Serve() {
    m_impl->server.listen_after_bind();
}

void BrowseServer::Stop() {
    m_impl->server.stop();
}

}  // namespace zenthor
