// zenthor browse's names and cache as a client and the disk see them: file names of any
// bytes, results that heal when damaged or lost, failures of the moment kept nowhere, one
// result per file whatever names lead to it, and a cache of bounded size.
#include <sys/resource.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/browse/cache_record.h"
#include "app/support/whole_file.h"
#include "tests/app/browse_client.h"
#include "tests/app/zenthor_process.h"
#include "tests/support/dds_writer.h"
#include "tests/support/glb_reader.h"
#include "tests/support/model_writer.h"
#include "tests/support/sample_content.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using nlohmann::json;

// The result folders of the tree's cache, by the path of the model whose record each
// holds, relative to the content folder.
std::map<std::string, fs::path> ResultFolders(const TempContentTree& tree) {
    std::map<std::string, fs::path> folders;
    const fs::path root = fs::canonical(tree.Root());
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(tree.Base() / "cache", error)) {
        std::string text;
        if (!ReadWholeFile(entry.path() / "meta.json", text)) continue;
        if (const std::optional<CacheRecord> record = ParseCacheRecord(text)) {
            folders[record->model.lexically_relative(root).string()] = entry.path();
        }
    }
    return folders;
}

std::vector<std::string> ModelsKept(const TempContentTree& tree) {
    std::vector<std::string> models;
    for (const auto& [model, folder] : ResultFolders(tree)) models.push_back(model);
    return models;
}

TEST(BrowseNames, FileNamesThatAreNotUtf8AreShownEscapedAndOpenAndAreKept) {
    TempContentTree tree;
    tree.Write("models/bad\xff\xfe.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))})});
    tree.Write("models/latin.model", {MeshesChunk({MeshEntry(TriangleMesh("caf\xe9", "a\\two"))})});
    for (const char* texture : {"textures/rock.512.dds", "textures/caf\xe9.512.dds"}) {
        tree.Write(texture, MakeDds(kDxt1, TestImage(8, 8)));
    }
    ZenthorServer server(BrowseArgs(tree));

    const json listing = json::parse(Send(server.Port(), "/api/models").body);
    ASSERT_EQ(listing.at("models").size(), 2u);
    const json& bad = listing.at("models").at(0);
    EXPECT_EQ(bad.value("path", ""), "models/bad\\xff\\xfe.model");
    EXPECT_EQ(bad.value("name", ""), "bad\\xff\\xfe");
    EXPECT_EQ(bad.value("pathParam", ""), "models/bad%FF%FE.model");

    for (const json& model : listing.at("models")) {
        const std::string param = model.value("pathParam", "");
        const json answer = Model(server.Port(), param);
        EXPECT_EQ(answer.value("status", ""), "imported") << param;
        EXPECT_EQ(answer.value("pathParam", ""), param);
        EXPECT_EQ(Send(server.Port(), answer.value("view", "")).status, 200) << param;
    }
    // A texture named in Latin-1 is shown escaped, and its picture found.
    const json latin = Model(server.Port(), "models/latin.model").at("objects").at(0);
    EXPECT_EQ(latin.value("texture", ""), "textures/caf\\xe9.512.dds");
    EXPECT_EQ(Send(server.Port(), latin.value("textureUrl", "")).status, 200);
    EXPECT_THAT(ModelsKept(tree), ElementsAre("models/bad\xff\xfe.model", "models/latin.model"));
}

// Cuts the file `name` in `folder` to half its size.
void CutShort(const fs::path& folder, const char* name) {
    fs::resize_file(folder / name, fs::file_size(folder / name) / 2);
}

TEST(BrowseCache, ADamagedResultIsImportedAgainWhileServingAndAfterARestart) {
    SampleTree tree;
    const std::string view = "/api/view?path=models/sample.model&lods=0";
    const std::string thumbnail = "/api/thumbnail?path=models/sample.model&lods=0";
    std::size_t viewSize = 0;
    std::size_t thumbnailSize = 0;
    {
        ZenthorServer server(BrowseArgs(tree));
        Model(server.Port(), "models/sample.model");
        viewSize = Send(server.Port(), view).body.size();
        thumbnailSize = Send(server.Port(), thumbnail).body.size();
    }
    const std::pair<const char*, std::function<void(const fs::path&)>> damages[] = {
        {"view.glb cut short", [](const fs::path& folder) { CutShort(folder, "view.glb"); }},
        {"thumbnail.png cut short", [](const fs::path& folder) { CutShort(folder, "thumbnail.png"); }},
        {"a record field of another type",
         [](const fs::path& folder) {
             json record = json::parse(std::ifstream(folder / "meta.json"));
             record["dependencies"][0][1] = "yesterday";
             std::ofstream(folder / "meta.json") << record.dump();
         }},
        {"a record that is no JSON", [](const fs::path& folder) { std::ofstream(folder / "meta.json") << "{\"ver"; }},
        {"a result folder removed", [](const fs::path& folder) { fs::remove_all(folder); }},
        {"the cache folder removed", [](const fs::path& folder) { fs::remove_all(folder.parent_path()); }},
    };
    const auto expectWhole = [&](int port, const std::string& when) {
        EXPECT_EQ(Model(port, "models/sample.model").value("status", ""), "imported") << when;
        const Reply glb = Send(port, view);
        EXPECT_EQ(glb.body.size(), viewSize) << when;
        EXPECT_FALSE(ReadGlb(glb.body).json.is_discarded()) << when;
        EXPECT_EQ(Send(port, thumbnail).body.size(), thumbnailSize) << when;
    };
    for (const auto& [damage, apply] : damages) {
        {
            ZenthorServer server(BrowseArgs(tree));
            apply(ResultFolders(tree).at("models/sample.model"));
            expectWhole(server.Port(), std::string(damage) + ", while serving");
        }
        apply(ResultFolders(tree).at("models/sample.model"));
        ZenthorServer server(BrowseArgs(tree));
        expectWhole(server.Port(), std::string(damage) + ", then a restart");
    }
}

TEST(BrowseCache, FailuresOfTheMomentAreNotKept) {
    TempContentTree tree;
    tree.Write("models/slow.model", std::vector<std::uint8_t>{1});
    const std::vector<std::string> faults{"--plugin-dir", ZENTHOR_FAULT_MODEL_PLUGIN_DIR};
    {
        ZenthorServer server(BrowseArgs(tree, faults, "0.1"));
        EXPECT_THAT(Model(server.Port(), "models/slow.model").value("error", ""), HasSubstr("took longer than 0.1 s"));
    }
    {
        ZenthorServer server(BrowseArgs(tree, faults, "30"));
        EXPECT_THAT(Model(server.Port(), "models/slow.model").value("error", ""), Not(HasSubstr("took longer")));
    }

    // A file-size limit stands for a full disk: the output cannot be written.
    SampleTree sample;
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4 * 1024;  // less than the view's .glb
    setrlimit(RLIMIT_FSIZE, &small);
    auto limited = std::make_unique<ZenthorServer>(BrowseArgs(sample));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_THAT(Model(limited->Port(), "models/sample.model").value("error", ""), HasSubstr("File too large"));
    limited.reset();
    ZenthorServer server(BrowseArgs(sample));
    EXPECT_EQ(Model(server.Port(), "models/sample.model").value("status", ""), "imported");
}

TEST(BrowseCache, ACacheFolderThatCannotBeMadeIsNamedWithTheReason) {
    TempContentTree tree;
    tree.Write("models/a.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))})});
    ZenthorServer server(BrowseArgs(tree));
    const fs::path cache = tree.Base() / "cache";
    fs::remove_all(cache);
    std::ofstream(cache) << "a file where the cache folder was";
    const json failed = Model(server.Port(), "models/a.model");
    EXPECT_EQ(failed.value("status", ""), "failed");
    EXPECT_EQ(failed.value("error", ""), "cannot write into the cache folder " + cache.string() + ": Not a directory");
    fs::remove(cache);
    // The other answer to the dialog is a result of its own, asked for the first time.
    EXPECT_NE(Model(server.Port(), "models/a.model", true).value("status", ""), "failed");
}

// The value of the header `name` in a reply's head ("" when absent).
std::string Header(const Reply& reply, const std::string& name) {
    const std::size_t at = reply.head.find("\r\n" + name + ": ");
    return at == std::string::npos ? "" : reply.head.substr(at + name.size() + 4, reply.head.find("\r\n", at + 2) - at - name.size() - 4);
}

TEST(BrowseCache, TheListingCarriesKeptResultsWhosePicturesABrowserMayKeepForGood) {
    TempContentTree tree;
    tree.Write("models/a.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))}), MeshRefsChunk({"gone"})});
    tree.Write("models/b.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "b\\one"))})});
    ZenthorServer server(BrowseArgs(tree));
    const auto listed = [&] { return json::parse(Send(server.Port(), "/api/models").body).at("models").at(0); };
    EXPECT_FALSE(listed().contains("kept"));

    const json answer = Model(server.Port(), "models/a.model");
    const json kept = listed().at("kept");
    for (const char* field : {"status", "triangles", "reason", "thumbnail"}) {
        EXPECT_EQ(kept.at(field), answer.at(field)) << field;
    }
    // Said below the content folder, which the page names once.
    EXPECT_THAT(answer.value("reportText", ""), HasSubstr("texture not found: textures/rock.512.dds"));
    EXPECT_THAT(answer.dump(), Not(HasSubstr(fs::canonical(tree.Root()).string())));

    const std::string picture = kept.value("thumbnail", "");
    const Reply alone = Send(server.Port(), picture);
    EXPECT_EQ(Header(alone, "Cache-Control"), "max-age=31536000, immutable");
    EXPECT_EQ(Header(Send(server.Port(), "/api/thumbnail?path=models/a.model&lods=0&v=0"), "Cache-Control"), "no-cache");

    // A sheet holds each picture behind its length; one named by an old version is empty.
    const std::string version = picture.substr(picture.find("&v=") + 3);
    const auto length = [](std::uint32_t n) {
        return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                           static_cast<char>(n)};
    };
    const Reply sheet =
        Send(server.Port(), "/api/thumbnails?path=models/a.model&v=" + version + "&path=models/b.model&v=0");
    EXPECT_EQ(sheet.body, length(alone.body.size()) + alone.body + length(0));
    EXPECT_EQ(Header(sheet, "Cache-Control"), "no-cache");

    // A changed model is no kept result, and its next result has an address of its own.
    tree.Write("models/a.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\two"))})});
    EXPECT_FALSE(listed().contains("kept"));
    EXPECT_NE(Model(server.Port(), "models/a.model").value("thumbnail", ""), picture);
}

TEST(BrowseCache, EveryNameThatLeadsToOneFileSharesItsResult) {
    TempContentTree tree;
    tree.Write("models/a.model", {MeshesChunk({MeshEntry(TriangleMesh("rock", "a\\one"))})});
    fs::create_directory_symlink(".", tree.Root() / "loop");
    fs::create_symlink("a.model", tree.Root() / "models" / "link.model");
    ZenthorServer server(BrowseArgs(tree));
    for (const char* name : {"models/a.model", "loop/models/a.model", "loop/loop/loop/models/a.model",
                             "models/link.model", "loop/models/link.model"}) {
        EXPECT_EQ(Model(server.Port(), name).value("path", ""), "models/a.model") << name;
    }
    EXPECT_THAT(ModelsKept(tree), ElementsAre("models/a.model"));
}

TEST(BrowseCache, KeepsToItsSizeByRemovingWhatWasUsedLongestAgo) {
    SampleTree tree;
    for (const char* copy : {"models/b.model", "models/c.model"}) {
        fs::copy_file(tree.Path("models/sample.model"), tree.Path(copy));
    }
    std::uintmax_t resultSize = 0;
    {
        ZenthorServer server(BrowseArgs(tree));
        Model(server.Port(), "models/sample.model");
        for (const auto& entry : fs::recursive_directory_iterator(tree.Base() / "cache")) {
            resultSize += entry.is_regular_file() ? entry.file_size() : 0;
        }
    }
    // Room for two results, not three.
    ZenthorServer server(BrowseArgs(tree, {"--cache-size", std::to_string(resultSize * 5 / 2)}));
    for (const char* model : {"models/sample.model", "models/b.model", "models/sample.model", "models/c.model"}) {
        Model(server.Port(), model);
    }
    EXPECT_THAT(ModelsKept(tree), ElementsAre("models/c.model", "models/sample.model"));
}

}  // namespace
}  // namespace zenthor
