#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <thread>

#include "app/browse/browse_server.h"
#include "app/browse/import_cache.h"
#include "app/commands/commands.h"
#include "app/commands/usage.h"
#include "app/support/exit_codes.h"
#include "app/support/program_path.h"
#include "app/workers/blocking_worker_pool.h"
#include "platform/path_lookup.h"

extern char** environ;

namespace zenthor {
namespace {

namespace fs = std::filesystem;

struct BrowseOptions {
    std::string contentDir;
    std::string listen = "127.0.0.1";
    int port = 8765;
    bool open = false;
    std::string cacheDir;
    std::uint64_t cacheSize = std::uint64_t{2} << 30;
    unsigned jobs = 0;
    double timeoutSeconds = 60;
};

// <program folder>/../share/zenthor/web, where the build and an install both put the page.
fs::path WebRoot() {
    return ProgramPath().parent_path().parent_path() / "share" / "zenthor" / "web";
}

// $XDG_CACHE_HOME/zenthor/browse (~/.cache when unset), one folder per content tree.
fs::path DefaultCacheFolder(const fs::path& root) {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = xdg != nullptr && *xdg != '\0' ? fs::path(xdg)
                          : home != nullptr           ? fs::path(home) / ".cache"
                                                      : fs::temp_directory_path();
    return base / "zenthor" / "browse" / std::to_string(std::hash<std::string>{}(root.string()));
}

bool Loopback(const std::string& address) {
    return address.rfind("127.", 0) == 0 || address == "::1" || address == "localhost";
}

// Opens the page in the user's browser, without waiting for it.
void OpenInBrowser(const std::string& url) {
    const char* argv[] = {"xdg-open", url.c_str(), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        std::cerr << "zenthor browse: cannot open a browser (xdg-open); open " << url << " yourself\n";
    }
}

int RunBrowse(const BrowseOptions& options, const std::vector<std::string>& pluginDirs) {
    std::error_code error;
    const fs::path root = fs::canonical(options.contentDir, error);
    if (error || !fs::is_directory(root)) {
        std::cerr << "zenthor browse: " << options.contentDir << " is not a folder\n";
        return kExitFailure;
    }
    const fs::path web = WebRoot();
    if (!fs::is_regular_file(web / "index.html", error)) {
        std::cerr << "zenthor browse: the page's files are missing (" << web.string() << ")\n";
        return kExitFailure;
    }
    const fs::path cache = options.cacheDir.empty() ? DefaultCacheFolder(root) : fs::path(options.cacheDir);
    fs::create_directories(cache, error);
    if (error) {
        std::cerr << "zenthor browse: cannot make the cache folder " << cache.string() << ": " << error.message() << "\n";
        return kExitFailure;
    }
    const std::string listen = options.listen == "localhost" ? "127.0.0.1" : options.listen;

    // Ctrl-C and termination are taken by one thread, which stops the server and its
    // imports; a second one ends the program at once. Every other thread, the server's
    // among them, inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Workers open files below the tree for reading and below the cache folder for writing,
    // and nothing else, whatever links lead elsewhere.
    BlockingWorkerPool workers(ConfinedWorkerCommand(SelfWorkerCommand(pluginDirs), root, cache), options.jobs,
                               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(options.timeoutSeconds)));
    ImportCache imports(root, cache, workers, options.timeoutSeconds, options.cacheSize);
    BrowseServer server({root, web, WorkerCount(options.jobs)}, imports);
    std::error_code bindError;
    const int port = server.Bind(listen, options.port, bindError);
    if (port < 0) {
        const bool inUse = bindError == std::errc::address_in_use;
        std::cerr << "zenthor browse: cannot listen on " << listen << ":" << options.port << ": "
                  << (inUse ? "address in use (try --port 0 for any free port)" : bindError.message()) << "\n";
        return kExitFailure;
    }
    if (!Loopback(listen)) {
        std::cerr << "zenthor browse: warning: listening on " << listen
                  << ": the content tree is visible to the network\n";
    }
    const std::string host = listen.find(':') != std::string::npos ? "[" + listen + "]" : listen;
    const std::string url = "http://" + host + ":" + std::to_string(port) + "/";
    std::cout << "zenthor browse: serving " << platform::DisplayPath(root.string()) << " at " << url << std::endl;
    if (options.open) {
        OpenInBrowser(url);
    }

    std::atomic<bool> served{false};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (served) return;
        server.Stop();
        workers.Stop();
        sigwait(&stopSignals, &signal);
        if (served) return;
        std::cerr << "zenthor browse: stopped at once" << std::endl;
        std::_Exit(128 + signal);
    });
    server.Serve();
    // Serving may also end by itself; the stopper is then woken the same way.
    served = true;
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    std::cout << "zenthor browse: stopped" << std::endl;
    return kExitSuccess;
}

}  // namespace

void AddBrowseCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    auto options = std::make_shared<BrowseOptions>();
    CLI::App* command = app.add_subcommand(
        "browse", "Serve a content tree as a local web page: every model listed, viewable in 3D and downloadable");
    command->add_option("CONTENT_DIR", options->contentDir, "the content folder to serve")->required();
    command->add_option("--port", options->port, "the port to listen on (default 8765; 0 for any free port)")
        ->check(Between(0, 65535));
    command->add_option("--listen", options->listen,
                        "the address to listen on (default 127.0.0.1; any other makes the tree visible to the network)");
    command->add_flag("--open", options->open, "open the page in the default browser");
    command->add_option("--cache-dir", options->cacheDir,
                        "where imports are kept (default: $XDG_CACHE_HOME/zenthor/browse/...)");
    command->add_option("--cache-size", options->cacheSize,
                        "the most the cache folder keeps; the results used longest ago go first (default 2GiB)")
        ->transform(CLI::AsSizeValue(false));
    command->add_option("-j,--jobs", options->jobs, "imports run at once (default: the number of cores)")
        ->check(AtLeast(1));
    command->add_option("--timeout", options->timeoutSeconds, "seconds one import may take (default 60)")
        ->check(MoreThan(0));
    command->callback([options, &exitCode, &pluginDirs] { exitCode = RunBrowse(*options, pluginDirs); });
}

}  // namespace zenthor
