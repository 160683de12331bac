#pragma once
// The parts of a snapshot as JSON, for session/snapshot.cpp: the machine, the terminal and the
// trace. The readers throw TSnapshotError with a Slovenian message that names the field.
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/sciterminal.h"
#include "session/snapshot.h"

struct TSnapshotError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the fields of one object; a missing or wrong field is told with where it is.
class TSnapshotFields {
public:
    TSnapshotFields(const nlohmann::json& object, std::string where);
    bool Has(const char* key) const { return object_.contains(key); }
    const nlohmann::json& Get(const char* key) const;
    uint64_t Number(const char* key, uint64_t high) const;
    int64_t Signed(const char* key, int64_t low, int64_t high) const;
    bool Flag(const char* key) const;
    std::string Text(const char* key) const;
    // A string of hexadecimal digit pairs as bytes.
    std::vector<uint8_t> Bytes(const char* key) const;
    const nlohmann::json& Array(const char* key) const;
    [[noreturn]] void Fail(const std::string& what) const;
    const std::string& Where() const { return where_; }

private:
    const nlohmann::json& object_;
    std::string where_;
};

std::string HexBytes(const uint8_t* bytes, size_t n);

nlohmann::ordered_json MachineToJson(const TMachine::State& state);
// `lines`: the source's line count, which no cell's line tag may pass.
TMachine::State MachineFromJson(const nlohmann::json& json, size_t lines);

nlohmann::ordered_json TerminalToJson(const TSciTerminal::State& state);
TSciTerminal::State TerminalFromJson(const nlohmann::json& json);

nlohmann::ordered_json TraceToJson(const TTraceRecord& trace);
TTraceRecord TraceFromJson(const nlohmann::json& json);
