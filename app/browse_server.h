// The web server of `zenthor browse`: the page and its assets, and what it derives from
// the models below one content folder. Every request passes the checks of
// browse_request.h first; anything refused gets 404 (403 for a foreign Host) and no detail.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zenthor {

class ModelLibrary;

struct BrowseSite {
    std::filesystem::path contentRoot;  // resolved
    std::filesystem::path webRoot;      // the page's files, with vendor/three/ below it
};

class BrowseServer {
public:
    BrowseServer(BrowseSite site, ModelLibrary& library);
    ~BrowseServer();
    BrowseServer(const BrowseServer&) = delete;
    BrowseServer& operator=(const BrowseServer&) = delete;

    // Binds `address`:`port` (0: any free port); the port bound, or -1. Requests must then
    // name that address and port (or, for a loopback address, localhost) as their Host.
    int Bind(const std::string& address, int port);
    // Serves until Stop; call after Bind.
    void Serve();
    // Safe from any thread.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zenthor
