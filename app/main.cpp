// zenthor: the command-line face of the importer.
#include <CLI/CLI.hpp>

#include "app/info_command.h"

int main(int argc, char** argv)
{
    CLI::App app{"zenthor: reads model and mesh files of a game's content tree"};
    app.require_subcommand(1);
    int exitCode = 0;
    zenthor::AddInfoCommand(app, exitCode);
    CLI11_PARSE(app, argc, argv);
    return exitCode;
}
