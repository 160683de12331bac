#pragma once
// The step history as a snapshot carries it, so that reverse step goes on past the step the
// snapshot was taken at. The journal's rings are written as blobs of hexadecimal digits (one
// record after another, little-endian), not as one JSON object per step:
//   "history": {"frames": "...", "devices": "...", "cells": "...", "board_log": "...",
//               "board_shadow": "...", "terminal_prefix": 0, "terminal_edits": 0}
// Positions that point outside the history (the cell log, the board's undo log, the log's
// record count) are written relative to it and set on the session's again when it is taken up.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct THistory {
    std::vector<uint8_t> Frames;      // the checkpoints of the steps kept, oldest first
    std::vector<uint8_t> Devices;     // the device parts they refer to, numbered from 0
    std::vector<uint8_t> Cells;       // the cell stores since the oldest checkpoint (5 bytes each)
    std::vector<uint8_t> BoardLog;    // the board's undo log since then (12 bytes each)
    std::vector<uint8_t> BoardShadow; // the lab board's state as last noted; empty for none
    // The chip model's own device parts beside each device part; empty in the classic model.
    std::vector<uint8_t> ChipParts;
    // How the terminal's output field is laid out (its text is the snapshot's): the length of
    // the part received in HEX mode in front, and the count of the user's edits.
    uint32_t TerminalPrefix = 0;
    uint32_t TerminalEdits = 0;
    bool operator==(const THistory&) const = default;
};

nlohmann::ordered_json HistoryToJson(const THistory& history);
// Reads and checks the history of a snapshot whose source has `lines` lines, whose terminal
// output is `output` bytes long, that has a lab board or not and was taken in the chip model or
// not; throws TSnapshotError.
THistory HistoryFromJson(const nlohmann::json& json, size_t lines, size_t output, bool board, bool chip);
