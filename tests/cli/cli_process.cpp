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

namespace {
struct Parser {
    const std::string& t;
    size_t i = 0;

    [[noreturn]] void Fail(const std::string& what) {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(i));
    }
    void Space() {
        while (i < t.size() && (t[i] == ' ' || t[i] == '\n' || t[i] == '\r' || t[i] == '\t'))
            ++i;
    }
    bool Take(char c) {
        Space();
        if (i < t.size() && t[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }
    std::string String() {
        Expect('"');
        std::string s;
        while (true) {
            if (i >= t.size()) Fail("unterminated string");
            char c = t[i++];
            if (c == '"') return s;
            if (static_cast<unsigned char>(c) < 0x20) Fail("raw control character in string");
            if (c != '\\') {
                s += c;
                continue;
            }
            if (i >= t.size()) Fail("bad escape");
            char e = t[i++];
            switch (e) {
            case '"':
                s += '"';
                break;
            case '\\':
                s += '\\';
                break;
            case '/':
                s += '/';
                break;
            case 'n':
                s += '\n';
                break;
            case 'r':
                s += '\r';
                break;
            case 't':
                s += '\t';
                break;
            case 'b':
                s += '\b';
                break;
            case 'f':
                s += '\f';
                break;
            case 'u': {
                if (i + 4 > t.size()) Fail("bad \\u");
                unsigned cp = std::stoul(t.substr(i, 4), nullptr, 16);
                i += 4;
                if (cp < 0x80) s += static_cast<char>(cp);
                else if (cp < 0x800)
                    s += static_cast<char>(0xC0 | cp >> 6), s += static_cast<char>(0x80 | (cp & 0x3F));
                else
                    s += static_cast<char>(0xE0 | cp >> 12), s += static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                        s += static_cast<char>(0x80 | (cp & 0x3F));
                break;
            }
            default:
                Fail("bad escape");
            }
        }
    }
    Json Value() {
        Space();
        Json v;
        if (i >= t.size()) Fail("value expected");
        char c = t[i];
        if (c == '{') {
            ++i;
            v.kind = Json::Object;
            if (Take('}')) return v;
            do {
                Space();
                std::string key = String();
                Expect(':');
                if (v.object.count(key)) Fail("duplicate key " + key);
                v.object[key] = Value();
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            ++i;
            v.kind = Json::Array;
            if (Take(']')) return v;
            do
                v.array.push_back(Value());
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            v.kind = Json::String;
            v.string = String();
        } else if (t.compare(i, 4, "true") == 0 || t.compare(i, 5, "false") == 0) {
            v.kind = Json::Bool;
            v.boolean = t[i] == 't';
            i += v.boolean ? 4 : 5;
        } else if (t.compare(i, 4, "null") == 0) {
            i += 4;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            size_t used = 0;
            v.kind = Json::Number;
            v.number = std::stod(t.substr(i), &used);
            i += used;
        } else {
            Fail("unexpected character");
        }
        return v;
    }
};
} // namespace

Json ParseJson(const std::string& text) {
    Parser p{text};
    Json v = p.Value();
    p.Space();
    if (p.i != text.size()) p.Fail("trailing text");
    return v;
}
