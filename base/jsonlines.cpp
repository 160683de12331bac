#include "base/jsonlines.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <set>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// Hands the text to the parser one character at a time and counts how many it has taken.
class TTakenIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TTakenIterator() = default;
    TTakenIterator(const char* at, const char* begin, size_t* taken)
        : at_(at), begin_(begin), taken_(taken) {}
    reference operator*() const { return *at_; }
    TTakenIterator& operator++() {
        ++at_;
        if (taken_) *taken_ = static_cast<size_t>(at_ - begin_);
        return *this;
    }
    TTakenIterator operator++(int) {
        TTakenIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TTakenIterator& other) const { return at_ == other.at_; }

private:
    const char* at_ = nullptr;
    const char* begin_ = nullptr;
    size_t* taken_ = nullptr;
};

// The 1-based line of a character offset; offsets asked for mostly grow, so counting goes on
// from the last answer. A newline belongs to the line it ends.
class TLineOf {
public:
    explicit TLineOf(std::string_view text) : text_(text) {}
    int operator()(size_t offset) {
        offset = std::min(offset, text_.size());
        if (offset < counted_) counted_ = 0, line_ = 1;
        for (; counted_ < offset; ++counted_)
            line_ += text_[counted_] == '\n';
        return line_;
    }

private:
    std::string_view text_;
    size_t counted_ = 0;
    int line_ = 1;
};

struct TTooDeep {
    int line;
};

// Follows the parser's events and notes where each key and value stands, by its pointer.
class TWhere {
public:
    TWhere(std::string_view text, const size_t& taken, size_t maxDepth, TJsonLines& out)
        : lineOf_(text), taken_(taken), maxDepth_(maxDepth), out_(out) {}

    bool Event(Json::parse_event_t event, const Json& parsed) {
        using E = Json::parse_event_t;
        const int line = lineOf_(taken_ == 0 ? 0 : taken_ - 1);
        switch (event) {
        case E::object_start:
        case E::array_start:
            if (open_.size() >= maxDepth_) throw TTooDeep{line};
            open_.push_back({event == E::array_start, Enter(line), 0, {}, {}});
            break;
        case E::object_end:
        case E::array_end:
            if (!open_.empty()) open_.pop_back();
            break;
        case E::key: {
            TOpen& object = open_.back();
            object.key = parsed.get<std::string>();
            if (!object.keys.insert(object.key).second && twiceKey.empty()) {
                twiceKey = object.key;
                twiceLine = line;
            }
            out_.Lines.emplace(object.path + "/" + JsonPointerToken(object.key), line);
            break;
        }
        case E::value:
            Enter(line);
            break;
        }
        return true;
    }

    std::string twiceKey;
    int twiceLine = 0;

private:
    struct TOpen {
        bool array;
        std::string path;
        size_t index; // of the next element of an array
        std::string key;
        std::set<std::string> keys;
    };

    // The pointer of the value that begins now; its line is noted.
    std::string Enter(int line) {
        std::string path;
        if (!open_.empty()) {
            TOpen& parent = open_.back();
            path = parent.path + "/" +
                   (parent.array ? std::to_string(parent.index++) : JsonPointerToken(parent.key));
        }
        out_.Lines.emplace(path, line);
        return path;
    }

    TLineOf lineOf_;
    const size_t& taken_;
    size_t maxDepth_;
    TJsonLines& out_;
    std::vector<TOpen> open_;
};

// Where a syntax error is and what it says: the parser stopped after reading up to `byte`
// (1-based), inside or just after the offending token.
void SyntaxError(std::string_view text, size_t byte, TJsonParse& out) {
    if (byte == 0 || byte > text.size()) {
        out.Line = TLineOf(text)(text.size());
        out.Error = "zapis JSON se nepričakovano konča (manjka zaklepaj ali narekovaj?)";
        return;
    }
    const size_t last = byte - 1;
    // The token's start: back over a word or number, or to the opening quote of a string.
    size_t start = last;
    if (text[last] == '"') {
        while (start > 0 && !(text[start - 1] == '"' && (start < 2 || text[start - 2] != '\\')))
            --start;
        if (start > 0) --start;
    } else {
        const auto word = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
        };
        while (start > 0 && word(text[start - 1]))
            --start;
    }
    out.Line = TLineOf(text)(start);
    const size_t lineStart = start == 0 ? 0 : text.rfind('\n', start - 1) + 1; // npos + 1 == 0
    out.Column = 1;
    for (size_t i = lineStart; i < start; ++i)
        out.Column += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80; // count characters
    // A lone control character, or a byte of a character outside ASCII where a token should
    // begin (quoting half of it would not be text).
    const unsigned char c = static_cast<unsigned char>(text[last]);
    if (start == last && (c < 0x20 || c >= 0x7F)) {
        out.Error = "neveljaven znak v zapisu JSON (znak s kodo " + std::to_string(c) + ")";
        return;
    }
    std::string token(text.substr(start, std::min<size_t>(last - start + 1, 24)));
    if (last - start + 1 > 24) token += "...";
    out.Error = "napaka v zapisu JSON pri »" + token + "« (manjka vejica, narekovaj ali zaklepaj?)";
}

} // namespace

int TJsonLines::LineOf(std::string pointer) const {
    for (;;) {
        const auto found = Lines.find(pointer);
        if (found != Lines.end()) return found->second;
        if (pointer.empty()) return 0;
        pointer.resize(pointer.rfind('/'));
    }
}

std::string JsonPointerToken(std::string_view key) {
    std::string token;
    for (char c : key) {
        if (c == '~') token += "~0";
        else if (c == '/') token += "~1";
        else token += c;
    }
    return token;
}

TJsonParse ParseJsonWithLines(std::string_view text, size_t maxDepth) {
    TJsonParse result;
    TJsonLines doc;
    size_t taken = 0;
    TWhere where(text, taken, maxDepth, doc);
    try {
        doc.Value = Json::parse(
            TTakenIterator(text.data(), text.data(), &taken),
            TTakenIterator(text.data() + text.size(), text.data(), nullptr),
            [&where](int, Json::parse_event_t event, Json& parsed) { return where.Event(event, parsed); },
            /*allow_exceptions=*/true, /*ignore_comments=*/true);
    } catch (const Json::parse_error& e) {
        SyntaxError(text, e.byte, result);
        return result;
    } catch (const TTooDeep& deep) {
        result.Error = "zapis JSON je pregloboko gnezden (več kot " + std::to_string(maxDepth) + " ravni)";
        result.Line = deep.line;
        result.TooDeep = true;
        return result;
    } catch (const Json::exception&) {
        // The parser's other faults (a number too large to hold, ...) carry no position.
        result.Error = "zapisa JSON ni mogoče prebrati";
        return result;
    }
    if (!where.twiceKey.empty()) {
        result.Error = "ključ \"" + where.twiceKey + "\" je v istem objektu podan dvakrat";
        result.Line = where.twiceLine;
        return result;
    }
    result.Json = std::move(doc);
    return result;
}
