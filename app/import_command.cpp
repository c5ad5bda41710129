#include "app/import_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>
#include <thread>

#include "app/batch_import.h"
#include "app/dialog_answers.h"
#include "app/plugin_registry.h"
#include "app/run_report.h"
#include "app/single_import.h"
#include "app/terminal_ui_backend.h"
#include "app/worker_command.h"
#include "app/worker_process.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

struct ImportOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string outDir;
    std::string format;
    std::string textures = "keep";
    bool includeLods = false;
    bool yes = false;
    unsigned jobs = 0;
    double timeoutSeconds = 300;
    std::size_t workerMemory = kDefaultWorkerMemory;
    bool timings = false;
    std::string reportPath;
    bool strict = false;
    bool verbose = false;
};

int Usage(const std::string& message) {
    std::cerr << "zenthor import: " << message << "\n";
    return kExitUsage;
}

int RunSingle(const PluginRegistry& plugins, const ImportOptions& options, const fs::path& input,
              OutputFormat format) {
    std::error_code code;
    if (!fs::is_regular_file(input, code)) {
        std::cerr << "zenthor import: cannot open " << input.string() << ": "
                  << (fs::exists(input, code) ? "it is not a file" : "no such file") << "\n";
        return kExitFailure;
    }
    SceneImport* importer = plugins.FindImporter(input);
    if (importer == nullptr) {
        std::cerr << "zenthor import: no plug-in imports " << input.extension().string()
                  << " files (see zenthor plugins)\n";
        return kExitFailure;
    }

    // The dialog is the user's when there is one at a terminal and no flag answers it.
    const bool interactive =
        isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && !options.includeLods && !options.yes;
    const ImportRequest request{input, options.output, format,
                                options.textures == "png" ? TextureMode::Png : TextureMode::Keep, nullptr, {}};
    ImportOutcome outcome;
    if (interactive) {
        TerminalUiBackend backend(STDIN_FILENO, STDOUT_FILENO, std::cout);
        outcome = ImportAndWrite(*importer, request, backend, [&backend] { return backend.Report(); });
    } else {
        FlagUiBackend backend(options.includeLods, &std::cout);
        outcome = ImportAndWrite(*importer, request, backend, [&backend] { return backend.Report(); });
    }

    for (const std::string& warning : outcome.warnings) {
        std::cerr << "zenthor import: warning: " << warning << "\n";
    }
    if (options.timings) {
        std::fprintf(stderr, "zenthor import: import %.3f s, write %.3f s\n", outcome.importSeconds,
                     outcome.writeSeconds);
    }
    FileResult result{input, options.output, outcome.result == ImportOutcome::Result::Written, outcome.error,
                      static_cast<std::uint64_t>(outcome.objects), outcome.triangles, outcome.warnings,
                      BuildImportReport(outcome.log)};
    if (result.report.LeftOut()) {
        std::cerr << "zenthor import: left out of " << input.string() << ":\n";
        PrintImportReport(std::cerr, result.report, options.verbose, "  ");
    }
    std::string error;
    if (!options.reportPath.empty() && !WriteRunReport(options.reportPath, {result}, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return kExitFailure;
    }
    if (!result.imported) {
        std::cerr << "zenthor import: " << outcome.error << "\n";
        return kExitFailure;
    }
    std::cout << "Wrote " << options.output << "\n";
    return options.strict && result.report.LeftOut() ? kExitLeftOut : kExitSuccess;
}

int RunImportCommand(const ImportOptions& options, const std::vector<std::string>& pluginDirs) {
    if (options.output.empty() == options.outDir.empty()) {
        return Usage(
            "give either -o FILE (one input file) or --out-dir DIR (any number of files and folders)");
    }
    std::optional<OutputFormat> format;
    if (!options.format.empty()) {
        format = ParseOutputFormat(options.format);
        if (!format) {
            return Usage("unknown --format " + options.format + " (glb, gltf or obj)");
        }
    }
    const bool batch = !options.outDir.empty();
    if (!batch) {
        std::error_code code;
        if (options.inputs.size() != 1 || fs::is_directory(options.inputs[0], code)) {
            return Usage("-o takes one input file; use --out-dir for several files or a folder");
        }
        if (!format) {
            format = FormatOfPath(options.output);
            if (!format) {
                return Usage("cannot tell the format from " + options.output +
                             ": name it .glb, .gltf or .obj, or "
                             "give --format");
            }
        }
    }

    PluginRegistry plugins;
    plugins.Discover(PluginFolders(pluginDirs), std::cerr);
    if (plugins.Importers().empty()) {
        std::cerr << "zenthor import: no importer plug-in was found\n";
        return kExitFailure;
    }
    if (!batch) {
        return RunSingle(plugins, options, options.inputs[0], *format);
    }

    BatchOptions batchOptions;
    batchOptions.inputs.assign(options.inputs.begin(), options.inputs.end());
    batchOptions.outDir = options.outDir;
    batchOptions.format = format.value_or(OutputFormat::Glb);
    batchOptions.textures = options.textures == "png" ? TextureMode::Png : TextureMode::Keep;
    batchOptions.includeLods = options.includeLods;
    batchOptions.jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    batchOptions.timeoutSeconds = options.timeoutSeconds;
    batchOptions.reportPath = options.reportPath;
    batchOptions.strict = options.strict;
    batchOptions.verbose = options.verbose;
    batchOptions.worker = SelfWorkerCommand(pluginDirs);
    batchOptions.workerMemory = options.workerMemory;
    return RunBatch(batchOptions);
}

}  // namespace

void AddImportCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* command = app.add_subcommand(
        "import", "Import model and mesh files through the importer plug-in and write them as glTF or OBJ");
    command
        ->add_option("FILE|DIR", options->inputs,
                     "files to import; folders give every .model below them (a batch)")
        ->required();
    command->add_option("-o,--output", options->output, "the output file, for one input file");
    command->add_option(
        "--out-dir", options->outDir,
        "the output folder of a batch; outputs keep their path relative to each folder named");
    command->add_option("--format", options->format,
                        "glb, gltf or obj (default: from -o's extension; glb for a batch)");
    command
        ->add_option("--textures", options->textures,
                     "keep: reference the textures as found (DDS); png: convert them to PNG beside the "
                     "output (inside a .glb), for viewers that open no DDS (default keep)")
        ->check(CLI::IsMember({"keep", "png"}));
    command->add_flag(
        "--include-lods", options->includeLods,
        "answer the settings dialog with \"Include lods\" marked (loads level-of-detail meshes)");
    command->add_flag("-y,--yes", options->yes,
                      "answer the settings dialog without asking (the box unmarked)");
    command
        ->add_option("-j,--jobs", options->jobs, "batch imports run at once (default: the number of cores)")
        ->check(CLI::PositiveNumber);
    command
        ->add_option("--timeout", options->timeoutSeconds,
                     "seconds one file of a batch may take before its worker is stopped (default 300)")
        ->check(CLI::PositiveNumber);
    command
        ->add_option("--worker-memory", options->workerMemory,
                     "memory a batch's worker may hold after a file; past it, the next file goes to a fresh "
                     "worker (e.g. 512M; default 2G; 0: no limit)")
        ->transform(CLI::AsSizeValue(false));
    command->add_flag("--timings", options->timings, "print how long the import and the writing took");
    command->add_option("--report", options->reportPath,
                        "also write what each import read and left out to this JSON file");
    command->add_flag("--strict", options->strict,
                      "exit with status 3 when an import left anything out (missing references or "
                      "textures, filtered level-of-detail files, dropped entries or triangles)");
    command->add_flag("-v,--verbose", options->verbose, "name everything left out, not just the first few");
    command->callback(
        [options, &exitCode, &pluginDirs] { exitCode = RunImportCommand(*options, pluginDirs); });
}

}  // namespace zenthor
