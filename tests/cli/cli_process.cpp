#include "tests/cli/cli_process.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/commands.h"

extern char** environ;

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, const std::string& program) {
    TempDir io;
    const std::string in = io.Path("in"), out = io.Path("out"), err = io.Path("err");
    {
        std::ofstream f(in, std::ios::binary);
        f << input;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    CliResult result;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + program);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

CliResult RunCliInProcess(const std::vector<std::string>& args) {
    TempDir io;
    const std::string out = io.Path("out"), err = io.Path("err");
    std::FILE* outFile = std::fopen(out.c_str(), "wb");
    std::FILE* errFile = std::fopen(err.c_str(), "wb");
    if (!outFile || !errFile) throw std::runtime_error("cannot create the output files");
    CliResult result;
    result.exit = CliMain(
        args, [] { return std::string(ORLEK_PROGRAM_DIR); }, outFile, errFile);
    std::fclose(outFile);
    std::fclose(errFile);
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

std::string CliData(const std::string& name) { return std::string(ORLEK_TEST_DATA) + "/cli/" + name; }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orlek-cli-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLinesLf(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);)
        lines.push_back(line);
    return lines;
}
