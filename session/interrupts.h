#pragma once
// The interrupt panel's rows: for each source what the chip holds now and what the execution
// watch counted.
#include <optional>
#include <string>
#include <vector>

#include "session/execwatch.h"

class TMachine;

struct TInterruptRow {
    TWatchSource Source = TWatchSource::Irq;
    const char* Name = "";
    std::optional<bool> Enabled; // the enable bit; none for NMI, IRQ and SWI, which have none
    bool Flag = false;           // the device's flag (NMI, IRQ: the request line)
    bool Pending = false;        // requested and not yet taken
    bool Masked = false;         // the I flag holds it back (never NMI or SWI)
    uint16_t Vector = 0;
    bool VectorDefined = false;
    std::optional<uint64_t> Latency; // of the last entry
    uint64_t Entries = 0;
    // Why a pending request is not taken, in plain Slovenian (UTF-8); empty when it will be, or
    // when nothing is pending.
    std::string Why;
    bool operator==(const TInterruptRow&) const = default;
};

// NMI, IRQ, SCI, TOF, OCF, ICF and SWI in this order. Without a watch the counts are empty.
std::vector<TInterruptRow> InterruptRows(const TMachine& machine, const TExecutionWatch* watch);
