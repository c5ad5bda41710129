// The workers of zenthor browse: confined to the tree they import from and the cache they
// write into, whatever links lead elsewhere, and ended with their server however it ends.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/workers/file_confinement.h"
#include "app/workers/job_line.h"
#include "app/workers/report_lines.h"
#include "app/workers/worker_process.h"
#include "tests/app/browse_client.h"
#include "tests/app/zenthor_process.h"
#include "tests/support/model_writer.h"
#include "tests/support/temp_content_tree.h"

extern char** environ;

namespace zenthor {
namespace {

namespace fs = std::filesystem;
using namespace test;
using nlohmann::json;

using Clock = std::chrono::steady_clock;

// A tree whose models, and the files they reference, are reached through links that stay
// inside it or lead out of it: meshes/part.mesh leads out, meshes/near.mesh stays in.
struct LinkedTree : TempContentTree {
    LinkedTree() {
        const auto mesh = [](const char* material) { return std::vector{MeshesChunk({MeshEntry(TriangleMesh("", material))})}; };
        Write("models/a.model", mesh("own\\a"));
        Write("store/b.model", mesh("own\\b"));
        Write("store/near.mesh", mesh("near\\mesh"));
        WriteFile(Base() / "outside" / "c.model", Serialize(mesh("outside\\model")));
        WriteFile(Base() / "outside" / "part.mesh", Serialize(mesh("outside\\mesh")));
        fs::create_symlink("../store/b.model", Root() / "models" / "inside.model");
        fs::create_symlink(Base() / "outside" / "c.model", Root() / "models" / "out.model");
        fs::create_directories(Root() / "meshes");
        fs::create_symlink(Base() / "outside" / "part.mesh", Root() / "meshes" / "part.mesh");
        fs::create_symlink("../store/near.mesh", Root() / "meshes" / "near.mesh");
        Write("models/refs.model", {MeshesChunk({MeshEntry(TriangleMesh("", "own\\refs"))}), MeshRefsChunk({"part", "near"})});
        fs::create_directories(Base() / "cache");
    }
};

std::vector<std::string> Materials(const WorkerReport& report) {
    std::vector<std::string> materials;
    for (const ObjectSummary& object : report.objects) materials.push_back(object.material);
    return materials;
}

TEST(BrowseWorkers, AConfinedWorkerOpensNothingThroughALinkOutOfItsTree) {
    if (LandlockAbi() == 0) {
        GTEST_SKIP() << "the kernel offers no Landlock; the server's check after each import stands in for it";
    }
    LinkedTree tree;
    const fs::path cache = tree.Base() / "cache";
    WorkerProcess worker(ConfinedWorkerCommand({ZENTHOR_EXE, {"zenthor", "worker"}, {}}, tree.Root(), cache));
    struct Case {
        const char* model;
        fs::path output;
        std::vector<std::string> materials;  // empty: the import fails
    };
    const Case cases[] = {
        {"models/a.model", cache / "a.glb", {"own\\a"}},
        {"models/inside.model", cache / "inside.glb", {"own\\b"}},
        {"models/out.model", cache / "out.glb", {}},
        {"models/refs.model", cache / "refs.glb", {"own\\refs", "near\\mesh"}},
        {"models/a.model", tree.Base() / "elsewhere.glb", {}},
    };
    for (const Case& c : cases) {
        ImportRequest job;
        job.input = tree.Path(c.model);
        job.output = c.output;
        const WorkerRun run = worker.Run(FormatWorkerJob(job), Clock::now() + std::chrono::seconds(60));
        const WorkerReport report = ParseWorkerReport(run.report);
        EXPECT_EQ(run.end, WorkerRun::End::Answered) << c.model;
        EXPECT_EQ(report.ok, !c.materials.empty()) << c.model << " to " << c.output << ": " << report.error;
        if (report.ok) {
            EXPECT_EQ(Materials(report), c.materials) << c.model;
        }
    }
}

TEST(BrowseWorkers, AServerReadsNothingThroughALinkOutOfItsTree) {
    LinkedTree tree;
    ZenthorServer server(BrowseArgs(tree));
    const json answer = Model(server.Port(), "models/refs.model");
    std::vector<std::string> materials;
    for (const json& object : answer.value("objects", json::array())) materials.push_back(object.value("material", ""));
    EXPECT_THAT(materials, ::testing::Not(::testing::Contains("outside\\mesh")));
    if (LandlockAbi() > 0) {
        EXPECT_EQ(answer.value("status", ""), "imported-with-omissions");
    }
}

// True once the process `pid` has ended (a zombie counts: nothing may reap it here).
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const std::size_t state = line.rfind(')') + 2;
    return state < line.size() && line[state] == 'Z';
}

bool EndsWithin(pid_t pid, std::chrono::seconds limit) {
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;) {
        if (Ended(pid)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(BrowseWorkers, EndWithTheirServerEvenInTheMiddleOfAnImport) {
    TempContentTree tree;
    tree.Write("models/hang.model", std::vector<std::uint8_t>{1});
    const fs::path pids = tree.Base() / "cache" / "pids";  // where the confined worker may write
    setenv("ZENTHOR_FAULT_PIDS", pids.c_str(), 1);
    ZenthorServer server(BrowseArgs(tree, {"--plugin-dir", ZENTHOR_FAULT_MODEL_PLUGIN_DIR}));
    unsetenv("ZENTHOR_FAULT_PIDS");
    std::thread client([&] { Send(server.Port(), "/api/model?path=models/hang.model"); });
    pid_t worker = -1;
    for (const auto deadline = Clock::now() + std::chrono::seconds(30); worker < 0 && Clock::now() < deadline;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream(pids) >> worker;
    }
    ASSERT_GT(worker, 0) << "the import did not start";
    kill(server.Pid(), SIGKILL);
    EXPECT_TRUE(EndsWithin(worker, std::chrono::seconds(20)));
    client.join();
    server.Stop();
    if (!Ended(worker)) kill(worker, SIGKILL);
}

TEST(BrowseWorkers, AWorkerWhoseParentIsGoneBeforeItStartsEndsAtOnce) {
    TempContentTree tree;
    tree.Write("models/hang.model", std::vector<std::uint8_t>{1});
    int jobs[2];
    int reports[2];
    ASSERT_EQ(pipe2(jobs, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(reports, O_CLOEXEC), 0);
    ImportRequest job;
    job.input = tree.Path("models/hang.model");
    job.output = tree.Base() / "hang.glb";
    const std::string line = FormatWorkerJob(job) + "\n";
    ASSERT_EQ(write(jobs[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    close(jobs[1]);  // as a parent that died leaves it

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, jobs[0], 3);
    posix_spawn_file_actions_adddup2(&actions, reports[1], 4);
    std::vector<std::string> args{"zenthor", "worker", "--plugin-dir", ZENTHOR_FAULT_MODEL_PLUGIN_DIR};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, ZENTHOR_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(jobs[0]);
    close(reports[1]);

    const bool ended = EndsWithin(pid, std::chrono::seconds(20));
    EXPECT_TRUE(ended) << "the worker took the job of a parent that is gone";
    if (!ended) kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(reports[0]);
}

}  // namespace
}  // namespace zenthor
