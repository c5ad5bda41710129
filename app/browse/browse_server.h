// The web server of `zenthor browse`: the page and its assets, and what it derives from
// the models below one content folder. Every request passes the checks of
// browse_request.h; anything refused gets an empty answer: 403 for a foreign Host or a
// request of the API from another site's page, 405 for a method other than GET and HEAD,
// 404 for anything else it does not serve, 416 for a range past the end, 431 for a head
// too large, 408 for one too slow, and 503 when it is too busy or stopping (500 when a
// download cannot be made).
//
// Connections: one thread waits for every request head (head_reader.h); whole requests are
// answered by the page's threads, or, when they wait for an import, by threads of their
// own with a bounded queue (serving_lane.h, import_wait.h).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>

#include "app/browse/route_handlers.h"

namespace zenthor {

class ImportCache;

// Open connections, whatever they do; one more gets 503 at once. An idle one costs a socket
// and a buffer, no thread.
inline constexpr std::size_t kMaxBrowseConnections = 256;

class BrowseServer {
public:
    // `site.jobs`: how many imports run at once (the workers behind `cache`).
    BrowseServer(BrowseSite site, ImportCache& cache);
    ~BrowseServer();
    BrowseServer(const BrowseServer&) = delete;
    BrowseServer& operator=(const BrowseServer&) = delete;

    // Binds `address`:`port` (0: any free port); the port bound, or -1 with `error` saying
    // why. A port another server listens on is refused (address_in_use), never shared.
    // Requests must then name that address and port (or, for a loopback address,
    // localhost) as their Host.
    int Bind(const std::string& address, int port, std::error_code& error);
    // Serves until Stop; call after Bind. On its way out, requests still queued get 503 and
    // answers still being sent are cut off after a short while.
    void Serve();
    // Safe from any thread. Requests waiting for an import end when the imports do (see
    // BlockingWorkerPool::Stop).
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zenthor
