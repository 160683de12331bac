// orlek-cli: the headless front end of the Orlek workbench (see --help).
#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/outfile.h"
#include "base/system.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    // A run stopped with Ctrl+C or killed leaves none of its temporary files behind.
    RemoveTemporaryFilesOnSignals();
    // The messages are UTF-8 Slovenian: a Windows console must show them as such.
    UseUtf8Console();
    return CliMain(CommandLineArguments(argc, argv), ExecutableDirectory, stdout, stderr);
}
