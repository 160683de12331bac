#pragma once
// Source text of a test program as the session takes it: one string per line, a final line
// break ending the last line.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> Source(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A test program of tests/data (`name` relative to it, e.g. "session/devices.asm") as Source lines.
inline std::vector<std::string> TestProgram(const std::string& name) {
    std::ifstream in(std::string(ORLEK_TEST_DATA) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return Source(text.str());
}
