// The web server of `zenthor browse`: the page and its assets, and what it derives from
// the models below one content folder. Every request passes the checks of
// browse_request.h; anything refused gets an empty answer: 403 for a foreign Host, 405 for
// a method other than GET and HEAD, 404 for anything else it does not serve (500 when a
// download cannot be made).
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "app/browse/route_handlers.h"

namespace zenthor {

class ImportCache;

class BrowseServer {
public:
    BrowseServer(BrowseSite site, ImportCache& cache);
    ~BrowseServer();
    BrowseServer(const BrowseServer&) = delete;
    BrowseServer& operator=(const BrowseServer&) = delete;

    // Binds `address`:`port` (0: any free port); the port bound, or -1 with `error` saying
    // why. A port another server listens on is refused (address_in_use), never shared.
    // Requests must then name that address and port (or, for a loopback address,
    // localhost) as their Host.
    int Bind(const std::string& address, int port, std::error_code& error);
    // Serves until Stop; call after Bind.
    void Serve();
    // Safe from any thread.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zenthor
