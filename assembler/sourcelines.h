#pragma once
// The lines of a source as the assembler reads them: either the editor's lines, one string each,
// or one text read whole with the offsets at which its lines start. The lines are referenced,
// not copied: what they view must outlive the TSourceLines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TSourceLines {
public:
    TSourceLines() = default;
    // The strings as they are (implicit, so a line vector goes wherever lines are taken).
    TSourceLines(const std::vector<std::string>& lines) // NOLINT(google-explicit-constructor)
        : strings_(lines.data()), count_(lines.size()) {}
    // `starts` holds count + 1 offsets into `text`: line i runs from starts[i] up to the byte
    // before starts[i + 1], which is its one-byte line end (for a last line without a line end
    // that byte is just past the text, never read).
    TSourceLines(const char* text, const uint32_t* starts, size_t count)
        : text_(text), starts_(starts), count_(count) {}

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](size_t i) const {
        if (strings_) return strings_[i];
        return {text_ + starts_[i], size_t{starts_[i + 1] - starts_[i] - 1}};
    }

    // The lines copied, one string each.
    std::vector<std::string> Strings() const {
        std::vector<std::string> lines;
        lines.reserve(count_);
        for (size_t i = 0; i < count_; ++i)
            lines.emplace_back((*this)[i]);
        return lines;
    }

private:
    const std::string* strings_ = nullptr;
    const char* text_ = nullptr;
    const uint32_t* starts_ = nullptr;
    size_t count_ = 0;
};
