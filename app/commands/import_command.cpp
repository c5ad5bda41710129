#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "app/batch/batch_run.h"
#include "app/commands/commands.h"
#include "app/commands/usage.h"
#include "app/hosting/answering_ui_backend.h"
#include "app/hosting/plugin_registry.h"
#include "app/output/output_caches.h"
#include "app/reports/run_report.h"
#include "app/support/exit_codes.h"
#include "app/support/pending_file.h"
#include "app/terminal/terminal_ui_backend.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// The command line: the options record, and the format's name, which is checked when the
// command runs (after the choice between -o and --out-dir).
struct ImportCommandLine {
    ImportOptions options;
    std::string format;
};

int Usage(const std::string& message) {
    std::cerr << "zenthor import: " << message << "\n";
    return kExitUsage;
}

int RunSingle(const PluginRegistry& plugins, const ImportOptions& options) {
    const ImportRequest& request = options.request;
    const fs::path& input = request.input;
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
        isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && !request.includeLods && !options.yes;
    OutputCaches caches;
    ImportOutcome outcome;
    if (interactive) {
        TerminalUiBackend backend(STDIN_FILENO, STDOUT_FILENO, std::cout);
        outcome = ImportAndWrite(*importer, request, backend, [&backend] { return backend.Report(); }, caches);
    } else {
        AnsweringUiBackend backend(request.includeLods, &std::cout);
        outcome = ImportAndWrite(*importer, request, backend, [&backend] { return backend.Report(); }, caches);
    }

    for (const std::string& warning : outcome.warnings) {
        std::cerr << "zenthor import: warning: " << warning << "\n";
    }
    if (options.timings) {
        std::fprintf(stderr, "zenthor import: import %.3f s, write %.3f s\n", outcome.importSeconds,
                     outcome.writeSeconds);
    }
    FileResult result{input, request.output, outcome.result == ImportOutcome::Result::Written, outcome.error,
                      outcome.objects.size(), outcome.triangles, outcome.warnings,
                      BuildImportReport(outcome.log)};
    if (result.report.LeftOut()) {
        std::cerr << "zenthor import: left out of " << input.string() << ":\n";
        PrintImportReport(std::cerr, result.report, options.verbose, "  ");
    }
    if (const std::string lods = LevelOfDetailLine(result.report, options.verbose, "--include-lods loads them");
        !lods.empty()) {
        std::cerr << "zenthor import: " << lods << "\n";
    }
    std::string error;
    if (!options.reportPath.empty() && !WriteRunReport(options.reportPath, {result}, error)) {
        std::cerr << "zenthor import: " << error << "\n";
        return kExitFailure;
    }
    if (!result.imported) {
        // The importer's failure is about the input; a failed write names its own file.
        std::cerr << "zenthor import: "
                  << (outcome.result == ImportOutcome::Result::ImportFailed ? input.string() + ": " : "")
                  << outcome.error << "\n";
        return kExitFailure;
    }
    std::cout << "Wrote " << request.output.string() << "\n";
    return options.strict && result.report.LeftOut() ? kExitLeftOut : kExitSuccess;
}

int RunImportCommand(ImportCommandLine& line, const std::vector<std::string>& pluginDirs) {
    ImportOptions& options = line.options;
    if (options.request.output.empty() == options.outDir.empty()) {
        return Usage(
            "give either -o FILE (one input file) or --out-dir DIR (any number of files and folders)");
    }
    std::optional<OutputFormat> format;
    if (!line.format.empty()) {
        format = ParseOutputFormat(line.format);
        if (!format) {
            return Usage("unknown --format " + line.format + " (glb, gltf or obj)");
        }
    }
    const bool batch = !options.outDir.empty();
    if (!batch) {
        std::error_code code;
        if (options.inputs.size() != 1 || fs::is_directory(options.inputs[0], code)) {
            return Usage("-o takes one input file; use --out-dir for several files or a folder");
        }
        const std::optional<OutputFormat> named = FormatOfPath(options.request.output);
        if (format && named && *named != *format) {
            return Usage("-o " + options.request.output.string() + " names the " + (Extension(*named) + 1) +
                         " format, but --format says " + (Extension(*format) + 1) +
                         ": drop one or make them agree");
        }
        if (!format && !named) {
            return Usage("cannot tell the format from " + options.request.output.string() +
                         ": name it .glb, .gltf or .obj, or give --format");
        }
        format = format ? format : named;
        options.request.input = options.inputs[0];
    }
    options.request.format = format.value_or(OutputFormat::Glb);

    // Where the run writes is checked before anything is imported.
    const fs::path outputFolder = batch ? options.outDir : options.request.output.parent_path();
    if (const std::optional<std::string> why = WhyNotWritable(outputFolder, true)) {
        std::cerr << "zenthor import: cannot write into " << (outputFolder.empty() ? "." : outputFolder.string())
                  << ": " << *why << "\n";
        return kExitFailure;
    }
    if (!options.reportPath.empty()) {
        if (const std::optional<std::string> why = WhyNotWritable(options.reportPath.parent_path(), false)) {
            std::cerr << "zenthor import: cannot write the report " << options.reportPath.string() << ": " << *why
                      << "\n";
            return kExitFailure;
        }
    }

    PluginRegistry plugins;
    plugins.Discover(PluginFolders(pluginDirs), std::cerr);
    if (plugins.Importers().empty()) {
        std::cerr << "zenthor import: no importer plug-in was found\n";
        return kExitFailure;
    }
    return batch ? RunBatch(options, SelfWorkerCommand(pluginDirs)) : RunSingle(plugins, options);
}

}  // namespace

void AddImportCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    auto line = std::make_shared<ImportCommandLine>();
    ImportOptions* options = &line->options;
    CLI::App* command = app.add_subcommand(
        "import", "Import model and mesh files through the importer plug-in and write them as glTF or OBJ");
    command
        ->add_option("FILE|DIR", options->inputs,
                     "files to import; folders give every .model below them (a batch)")
        ->required();
    command->add_option("-o,--output", options->request.output, "the output file, for one input file");
    command->add_option(
        "--out-dir", options->outDir,
        "the output folder of a batch; outputs keep their path relative to each folder named");
    command->add_option("--format", line->format,
                        "glb, gltf or obj (default: from -o's extension; glb for a batch)");
    command
        ->add_option_function<std::string>(
            "--textures",
            [options](const std::string& mode) {
                options->request.textures = mode == "png" ? TextureMode::Png : TextureMode::Keep;
            },
            "keep: reference the textures as found (DDS); png: convert them to PNG beside the "
            "output (inside a .glb), for viewers that open no DDS (default keep)")
        ->transform(CLI::IsMember({"keep", "png"}, CLI::ignore_case));
    command->add_flag(
        "--include-lods", options->request.includeLods,
        "answer the settings dialog with \"Include lods\" marked (loads level-of-detail meshes)");
    command->add_flag("-y,--yes", options->yes,
                      "answer the settings dialog without asking (the box unmarked)");
    command
        ->add_option("-j,--jobs", options->jobs, "batch imports run at once (default: the number of cores)")
        ->check(AtLeast(1));
    command
        ->add_option("--timeout", options->timeoutSeconds,
                     "seconds one file of a batch may take before its worker is stopped (default 300)")
        ->check(MoreThan(0));
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
    command->callback([line, &exitCode, &pluginDirs] { exitCode = RunImportCommand(*line, pluginDirs); });
}

}  // namespace zenthor
