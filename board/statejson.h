#pragma once
// The board's state as JSON, for snapshots: written from a state, read back into one for the
// same board file. The parts that keep state are keyed by name:
//   {"now": 1200000, "ports": [{"ddr": 15, "dr": 5}, {"ddr": 0, "dr": 0}], "conflicts_seen": 0,
//    "parts": {"S0": {"on": true}, "T0": {"held": false, "changed_at": null, "presses": 0},
//              "KEY": {"held": 32}, "DISP": {...}, "LCD": {"ddram": "2020...", ...}}}
// What follows from the rest (the drive, the conflicts now, the next event) is not written;
// reading computes it.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "board/labboard.h"

nlohmann::ordered_json BoardStateToJson(const TLabBoard& board, const TLabBoard::State& state);
// The state, or nothing and a Slovenian message naming the part and the field.
std::optional<TLabBoard::State> BoardStateFromJson(const TLabBoard& board, const nlohmann::json& json,
                                                   std::string& error);
