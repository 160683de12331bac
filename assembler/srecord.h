#pragma once
// Motorola S-record (S19) output of an assembled image.
#include <string>
#include <string_view>

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
