#pragma once
// A JSON text parsed with the line of every key and value, so that a checker of the document
// (a board file, an exercise) can say where in the file a wrong value stands.
#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

struct TJsonLines {
    nlohmann::ordered_json Value;
    // 1-based lines by JSON pointer ("/parts/2/pin"; "" is the document).
    std::map<std::string, int> Lines;

    // The line of the value at `pointer`, or of the nearest value around it that has one.
    int LineOf(std::string pointer) const;
};

struct TJsonParse {
    std::optional<TJsonLines> Json;
    std::string Error;    // Slovenian, UTF-8
    int Line = 0;         // 1-based; 0 when the fault concerns the whole text
    int Column = 0;       // for a syntax error: the 1-based column (in characters) of the token
    bool TooDeep = false; // nested deeper than allowed (Error says so; a caller may say it its way)
};

// Parses `text` (UTF-8, comments allowed). Refuses, with a Slovenian message: bad syntax (the
// line and column of the token where it was noticed), a key given twice in one object (the
// parser would silently keep the later one), nesting deeper than `maxDepth` levels.
TJsonParse ParseJsonWithLines(std::string_view text, size_t maxDepth);

// A key as one step of a JSON pointer ("~" and "/" escaped).
std::string JsonPointerToken(std::string_view key);
