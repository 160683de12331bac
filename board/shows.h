#pragma once
// What the board shows, as reports and exercise checks state it. Per part, in JSON:
//   led     {"on": true}                  switch {"on": false}       button {"pressed": true}
//   digit   {"segments": "abcdefg", "text": "8"}  (segments a-g, "." for dp; DigitText)
//   display {"text": "1234"}              (" " for a dark digit, "?" for a pattern no digit)
//   keypad  {"pressed": "5"}              (every held key, row by row; "" for none)
//   lcd     {"lines": ["Pozdrav", ""], "cursor": [0, 7]}
//           (each row with trailing spaces dropped, "" for a dark row; the cursor's row and
//            column while it is shown, else null)
// and as text, one line a part: `board L0: on`, `board T0: released`, `board D0: "8" abcdefg`,
// `board DISP: "1234"`, `board KEY: "5"`, `board LCD: "Pozdrav" ""`.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "board/labboard.h"

// An LCD's rows as text (CharacterText of each code), trailing spaces dropped; "" for a row
// that shows nothing.
std::vector<std::string> LcdLines(const TLabBoard& board, const TBoardPart& part);
// A display's digits as DigitText gives them, leftmost first.
std::string DisplayText(const TLabBoard& board, const TBoardPart& part, uint64_t now);

nlohmann::ordered_json PartShowsJson(const TLabBoard& board, const TBoardPart& part, uint64_t now);
// The text after "board NAME: ".
std::string PartShowsText(const TLabBoard& board, const TBoardPart& part, uint64_t now);

// {NAME: PartShowsJson, ...} in the order of the board file.
nlohmann::ordered_json BoardShowsJson(const TLabBoard& board, uint64_t now);
// "board NAME: ..." for every part.
std::vector<std::string> BoardShowsText(const TLabBoard& board, uint64_t now);
// The conflicts now, as a list of {"pins": ["1.0"], "text": "..."}.
nlohmann::ordered_json BoardConflictsJson(const TLabBoard& board);
