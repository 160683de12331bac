#pragma once
// Motorola S-record (S19) output of an assembled image, and the reading of such records back.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/memory.h"

// The S-record text of the image the last assembly wrote: an S0 header carrying the name
// (at most 64 bytes of it), S1 records of up to bytesPerRecord (1..32) data bytes for every
// run of cells whose Line is a source line (> 0) or PresetLine, and an S9 record whose address
// is the reset vector (the word at $FFFE). Records end with LF.
std::string MakeSRecords(const TMemory& memory, std::string_view name, int bytesPerRecord = 16);

// Writes MakeSRecords to path through a temporary file renamed into place (a pipe or device is
// written directly; see TOutputFile). Throws std::runtime_error with a Slovenian (UTF-8)
// message naming the file when that fails.
void WriteSRecords(const std::string& path, const TMemory& memory, std::string_view name,
                   int bytesPerRecord = 16);

// The bytes S-records hold, by address: what the disassembler works on.
struct TCodeImage {
    std::vector<uint8_t> Bytes = std::vector<uint8_t>(0x10000);
    std::vector<bool> Present = std::vector<bool>(0x10000);
    std::optional<uint16_t> Start; // the address of the S9 record
    std::string Name;              // the S0 record's text

    bool Has(uint32_t address) const { return address < 0x10000 && Present[address]; }
    void Set(uint16_t address, uint8_t value) {
        Bytes[address] = value;
        Present[address] = true;
    }
};

// A malformed S-record text; the message (Slovenian, UTF-8) names the line.
class SRecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads S-record text as MakeSRecords writes it: S0 (header), S1 (data at a 16-bit address),
// S5/S6 (record counts, not checked) and S9 (start address). Blank lines and CR line ends are
// allowed. Refuses with SRecordError: lines that are no S-record, bad hexadecimal digits, a
// count that does not match the line, a wrong checksum, the 24- and 32-bit record types (the
// MC6803 has a 16-bit address space), data running past $FFFF and an address given twice.
TCodeImage ReadSRecords(std::string_view text);
