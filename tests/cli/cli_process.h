#pragma once
#include <map>
#include <memory>
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

// A small JSON reader for checking --json output.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::map<std::string, Json> object;

    const Json& operator[](const std::string& key) const { return object.at(key); }
    const Json& operator[](size_t index) const { return array.at(index); }
    bool Has(const std::string& key) const { return object.count(key) != 0; }
};
// Parses exactly one JSON value (surrounding white space allowed); throws std::runtime_error.
Json ParseJson(const std::string& text);
