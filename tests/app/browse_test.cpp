// zenthor browse as a client sees it: requests sent byte for byte to the running server,
// for the paths and host names it must refuse, models that crash or hang the importer,
// results that must follow the files they came from, and many clients at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/browse_client.h"
#include "tests/app/zenthor_process.h"
#include "tests/support/glb_reader.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;
using nlohmann::json;

TEST(Browse, RefusesEveryPathOutsideItsTreeInAnySpelling) {
    SampleTree tree;
    // A model outside the tree, reached through a link inside it.
    const fs::path outside = tree.Base() / "outside.model";
    fs::copy_file(tree.Path("models/sample.model"), outside);
    fs::create_symlink(outside, tree.Root() / "models" / "link.model");
    fs::create_directory_symlink(tree.Base(), tree.Root() / "up");
    ZenthorServer server(BrowseArgs(tree));

    const std::string model = "/api/model?path=";
    const char* refused[] = {
        "/api/model?path=../outside.model", "/api/model?path=%2e%2e%2foutside.model",
        "/api/model?path=%252e%252e%252foutside.model", "/api/model?path=models%5c..%5c..%5coutside.model",
        "/api/model?path=models/../../outside.model", "/api/model?path=./models/sample.model",
        "/api/model?path=models//sample.model", "/api/model?path=/etc/passwd",
        "/api/model?path=%2fetc%2fpasswd", "/api/model?path=C:%5cgame%5ca.model",
        "/api/model?path=C:/a.model", "/api/model?path=models/sample.model%00.png",
        "/api/model?path=models/link.model", "/api/model?path=up/outside.model",
        "/api/model?path=models/sample.model&path=../outside.model", "/api/model?path=meshes",
        "/api/thumbnail?path=../outside.model", "/api/download?path=../outside.model&format=glb",
        "/assets/../../../../etc/passwd", "/assets/%2e%2e/%2e%2e/%2e%2e/etc/passwd",
        "/assets/..%2f..%2f..%2fetc%2fpasswd", "/assets/%252e%252e/index.html",
        "/assets/..%5c..%5cindex.html", "/assets/vendor/three/build/three.module.js",
        "/vendor/three/../../index.html", "/vendor/three/%2e%2e/%2e%2e/index.html",
        "/vendor/three/build/three.module.js%00", "/etc/passwd", "/index.html/..",
    };
    for (const char* target : refused) {
        const Reply reply = Send(server.Port(), target);
        EXPECT_EQ(reply.status, 404) << target;
        EXPECT_EQ(reply.body, "") << target;
    }
    EXPECT_EQ(Send(server.Port(), model + std::string(2000, 'a') + ".model").status, 404);
    // What the page does need stays reachable.
    for (const std::string& target : {model + "models/sample.model", std::string("/"), std::string("/assets/main.js"),
                                     std::string("/vendor/three/build/three.module.js")}) {
        EXPECT_EQ(Send(server.Port(), target).status, 200) << target;
    }
}

// The names a zip holds, in order.
std::vector<std::string> ZipEntries(const fs::path& zip) {
    std::vector<std::string> names;
    const std::unique_ptr<FILE, int (*)(FILE*)> list(popen(("unzip -Z1 '" + zip.string() + "'").c_str(), "r"), pclose);
    char line[512];
    while (list && std::fgets(line, sizeof line, list.get()) != nullptr) {
        names.emplace_back(line, std::strcspn(line, "\n"));
    }
    return names;
}

TEST(Browse, DownloadsCarryEverythingTheirOutputNeeds) {
    SampleTree tree;
    ZenthorServer server(BrowseArgs(tree));
    const std::string download = "/api/download?path=models/sample.model&lods=0&format=";

    // The .glb carries its PNGs in its own buffer.
    const Reply glb = Send(server.Port(), download + "glb");
    ASSERT_EQ(glb.status, 200);
    const json gltf = ReadGlb(glb.body).json;
    ASSERT_EQ(gltf.value("images", json::array()).size(), 3u);
    for (const json& image : gltf.at("images")) {
        EXPECT_EQ(image.value("mimeType", ""), "image/png");
        EXPECT_TRUE(image.contains("bufferView") && !image.contains("uri")) << image;
    }

    // The zips hold the output with its companions and the PNGs they reference.
    const std::vector<std::string> textures = {"sample_textures/stone.2048.png", "sample_textures/cloth.512.png",
                                               "sample_textures/crate.1024.png"};
    const std::pair<const char*, std::vector<std::string>> zips[] = {
        {"gltf", {"sample.bin", "sample.gltf"}},
        {"obj", {"sample.obj", "sample.mtl"}},
    };
    for (const auto& [format, files] : zips) {
        const Reply reply = Send(server.Port(), download + format);
        ASSERT_EQ(reply.status, 200) << format;
        const fs::path zip = tree.Base() / (std::string(format) + ".zip");
        std::ofstream(zip, std::ios::binary) << reply.body;
        std::vector<std::string> expected = files;
        expected.insert(expected.end(), textures.begin(), textures.end());
        EXPECT_THAT(ZipEntries(zip), UnorderedElementsAreArray(expected)) << format;
    }
}

TEST(Browse, ServesTheTexturesOfItsTreeAsPictures) {
    SampleTree tree;
    fs::copy_file(tree.Path("textures/cloth.512.dds"), tree.Base() / "outside.dds");
    fs::create_symlink(tree.Base() / "outside.dds", tree.Root() / "textures" / "link.dds");
    tree.Write("textures/junk.dds", std::vector<std::uint8_t>{0});
    ZenthorServer server(BrowseArgs(tree));

    // Each object's texture is where its answer says, as a PNG.
    const json model = Model(server.Port(), "models/sample.model");
    for (const json& object : model.at("objects")) {
        const Reply picture = Send(server.Port(), object.at("textureUrl").get<std::string>());
        EXPECT_EQ(picture.status, 200) << object;
        EXPECT_THAT(picture.head, HasSubstr("Content-Type: image/png")) << object;
        EXPECT_EQ(picture.body.substr(0, 8), "\x89PNG\r\n\x1a\n") << object;
    }
    const std::pair<std::string, int> refused[] = {
        {"textures/junk.dds", 415},  // there, but no picture
        {"textures/none.dds", 404},
        {"../outside.dds", 404},
        {"textures%2f..%2f..%2foutside.dds", 404},
        {"textures/link.dds", 404},
        {(tree.Base() / "outside.dds").string(), 404},
        {"models/sample.model", 404},
        {"textures/cloth.512.dds&path=textures/crate.1024.dds", 404},
    };
    for (const auto& [path, status] : refused) {
        const Reply reply = Send(server.Port(), "/api/texture?path=" + path);
        EXPECT_EQ(reply.status, status) << path;
        EXPECT_EQ(reply.body, "") << path;
    }
}

TEST(Browse, AnswersOnlyToItsOwnHostName) {
    SampleTree tree;
    ZenthorServer server(BrowseArgs(tree));
    const std::string port = std::to_string(server.Port());
    const std::pair<std::string, int> hosts[] = {
        {"127.0.0.1:" + port, 200}, {"localhost:" + port, 200}, {"LOCALHOST:" + port, 200},
        {"attacker.example:" + port, 403}, {"127.0.0.1", 403}, {"127.0.0.1:1" + port, 403},
        {"localhost.attacker.example:" + port, 403},
    };
    for (const auto& [host, status] : hosts) {
        EXPECT_EQ(Send(server.Port(), "/api/models", host).status, status) << host;
    }
}

TEST(Browse, ASecondServerOnATakenPortFailsAndTheFirstKeepsAnswering) {
    SampleTree tree;
    ZenthorServer first(BrowseArgs(tree));
    const std::string port = std::to_string(first.Port());
    TempContentTree other;
    std::vector<std::string> args = BrowseArgs(other);
    args[3] = port;  // "--port", "0" → the first one's port
    const ProcessResult second = RunZenthor(args, std::chrono::seconds(20));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_THAT(second.err, HasSubstr("cannot listen on 127.0.0.1:" + port + ": address in use"));
    EXPECT_EQ(json::parse(Send(first.Port(), "/api/models").body).at("models").size(), 1u);
}

TEST(Browse, ModelsThatCrashOrHangTheImporterFailAloneAndImportsAreSharedAndKept) {
    TempContentTree tree;
    for (const char* name : {"models/crash.model", "models/hang.model", "models/slow.model"}) {
        tree.Write(name, std::vector<std::uint8_t>{1});
    }
    // In the cache folder: the only one besides the tree that a browse worker may open.
    const std::string log = (tree.Base() / "cache" / "imports.log").string();
    setenv("ZENTHOR_FAULT_LOG", log.c_str(), 1);
    ZenthorServer server(BrowseArgs(tree, {"--plugin-dir", ZENTHOR_FAULT_MODEL_PLUGIN_DIR}, "3"));

    EXPECT_THAT(Model(server.Port(), "models/crash.model").value("error", ""), HasSubstr("the import crashed (signal 11"));
    EXPECT_EQ(Model(server.Port(), "models/hang.model").value("error", ""),
              "the import took longer than 3 s and was stopped");

    // Six requests at once for one model wait for one import; a later one finds it kept
    // until the file changes.
    std::vector<std::thread> clients;
    std::atomic<int> failed{0};
    for (int i = 0; i < 6; ++i) {
        clients.emplace_back([&] { failed += Model(server.Port(), "models/slow.model").value("status", "") == "failed"; });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(failed, 6);
    Model(server.Port(), "models/slow.model");
    std::ofstream(tree.Path("models/slow.model"), std::ios::app) << "changed";
    Model(server.Port(), "models/slow.model");
    std::ifstream in(log);
    const std::string imports((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(imports, "crash\nhang\nslow\nslow\n");

    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(WorkersWith(ZENTHOR_FAULT_MODEL_PLUGIN_DIR), 0);
    unsetenv("ZENTHOR_FAULT_LOG");
}

TEST(Browse, AnImportFollowsTheFilesItReadAcrossRestarts) {
    TempContentTree tree;
    tree.Write("meshes/part.mesh", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))})});
    tree.Write("models/a.model", {MeshRefsChunk({"part"})});
    const auto objects = [](const json& model) { return model.at("objects").size(); };
    {
        ZenthorServer server(BrowseArgs(tree));
        EXPECT_EQ(objects(Model(server.Port(), "models/a.model")), 1u);
        // A referenced file changes; a texture that was missing appears.
        tree.Write("meshes/part.mesh", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one")),
                                                     MeshEntry(TriangleMesh("rock", "a\\two"))})});
        tree.Write("textures/rock.512.dds", std::vector<std::uint8_t>{0});
        const json changed = Model(server.Port(), "models/a.model");
        EXPECT_EQ(objects(changed), 2u);
        EXPECT_TRUE(changed.at("report").at("leftOut").at("texturesNotFound").empty());
    }
    // A restarted server finds the kept result, and still sees later changes.
    ZenthorServer server(BrowseArgs(tree));
    EXPECT_EQ(objects(Model(server.Port(), "models/a.model")), 2u);
    tree.Write("meshes/part.mesh", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))})});
    EXPECT_EQ(objects(Model(server.Port(), "models/a.model")), 1u);
}

TEST(Browse, EightClientsFetchingAThousandModelsAllGetTheirAnswers) {
    TempContentTree tree;
    tree.Write("textures/rock.512.dds", std::vector<std::uint8_t>{0});
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kModels = 250;  // enough concurrency for the sanitizer, a quarter of its time
#else
    constexpr int kModels = 1000;
#endif
    for (int i = 0; i < kModels; ++i) {
        tree.Write("models/m" + std::to_string(i) + ".model",
                   {MeshesChunk({MeshEntry(TriangleMesh("rock", "set\\m" + std::to_string(i)))})});
    }
    ZenthorServer server(BrowseArgs(tree, {"--plugin-dir", tree.Base().string()}));
    std::atomic<int> answered{0};
    std::mutex mutex;
    std::string firstMiss;  // the first answer that was not a successful import
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c) {
        clients.emplace_back([&, c] {
            for (int i = 0; i < kModels; ++i) {
                const int m = (i + c * kModels / 8) % kModels;  // each client starts elsewhere
                const Reply reply = Send(server.Port(), "/api/model?path=models/m" + std::to_string(m) + ".model");
                if (reply.status == 200 && reply.body.find("\"imported\"") != std::string::npos) {
                    ++answered;
                } else {
                    std::lock_guard lock(mutex);
                    if (firstMiss.empty()) firstMiss = std::to_string(reply.status) + " " + reply.body.substr(0, 400);
                }
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(answered, 8 * kModels) << firstMiss;

    std::ifstream status("/proc/" + std::to_string(server.Pid()) + "/status");
    std::size_t residentKb = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) residentKb = std::stoul(line.substr(6));
    }
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's shadow memory and its quarantine of freed blocks (bounded too).
    constexpr std::size_t kPeakBoundKb = 768u * 1024;
#else
    constexpr std::size_t kPeakBoundKb = 200u * 1024;
#endif
    EXPECT_LT(residentKb, kPeakBoundKb) << "the server's peak resident size";
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(WorkersWith(tree.Base().string()), 0);
}

}  // namespace
}  // namespace zenthor
