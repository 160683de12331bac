// orlek-cli: the headless front end of the Orlek workbench (see --help).
#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/outfile.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    // A run stopped with Ctrl+C or killed leaves none of its temporary files behind.
    RemoveTemporaryFilesOnSignals();
    return CliMain(std::vector<std::string>(argv + 1, argv + argc), ExecutableDirectory, stdout, stderr);
}
