#pragma once
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// What one run of orlek-cli produced.
struct CliResult {
    int exit = -1;
    std::string out;
    std::string err;
};

// Runs `program` (default: the built orlek-cli) with the arguments; `input` goes to its stdin.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {},
                 const std::string& program = ORLEK_CLI);

// Runs the front end's CliMain inside the test, with the tables of the build: for command lines
// that need no standard input and no executable of their own. Much cheaper than a process.
CliResult RunCliInProcess(const std::vector<std::string>& args);

// A path under tests/data/cli.
std::string CliData(const std::string& name);

// A fresh temporary directory, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

std::string ReadFile(const std::string& path);
std::vector<std::string> SplitLinesLf(const std::string& text);

// The --json output, parsed; throws nlohmann::json::parse_error.
inline nlohmann::json ParseJson(const std::string& text) { return nlohmann::json::parse(text); }
