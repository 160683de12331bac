#include "trace.h"

// Placeholder implementations; the full recorder replaces them.
TCoditions::~TCoditions() { Clear(); }
void TCoditions::Add(const TraceCondition&) {}
void TCoditions::Remove(const TraceCondition&) {}
void TCoditions::Clear() {}
void TCoditions::Rewind() {}
TraceCondition TCoditions::Next() { return {}; }
size_t TCoditions::Count() const { return 0; }
bool TCoditions::AnyMatches(uint16_t, uint8_t, uint8_t) const { return false; }
bool TTrace::Check(uint16_t, uint8_t, uint8_t) { return false; }
void TTrace::ClearRows() { rows_.clear(); }
std::optional<TraceCondition> ParseCondition(const std::string&, const std::string&, const std::string&) { return {}; }
std::string FormatPattern(uint16_t, uint16_t, int) { return {}; }
