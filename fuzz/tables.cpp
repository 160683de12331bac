// The readers of the two instruction-set tables on arbitrary file contents. A table is either
// refused with a TableError or read whole; what was read is consistent: record fields within
// their ranges, and every mnemonic found by name is the first record of that name.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "assembler/ukazi.h"
#include "fuzz/check.h"

namespace {

// The input as a file the readers can open by name, without touching the disk.
class TMemoryFile {
public:
    TMemoryFile(const uint8_t* data, size_t size) : fd_(::memfd_create("table", 0)) {
        FUZZ_CHECK(fd_ >= 0);
        for (size_t done = 0; done < size;) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            FUZZ_CHECK(n > 0);
            done += static_cast<size_t>(n);
        }
    }
    ~TMemoryFile() { ::close(fd_); }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

void CheckInstructions(const std::string& path) {
    try {
        TUkaziFast table(path);
        FUZZ_CHECK(table.Count() >= TUkaziFast::MinRecords && table.Count() <= TUkaziFast::MaxRecords);
        for (size_t i = 0; i < table.Count(); ++i) {
            const InstructionEntry& e = table.Record(i);
            FUZZ_CHECK(e.Length <= 5 && e.ModeCount <= 4);
            const InstructionEntry* found = table.Find(e.Name());
            FUZZ_CHECK(found != nullptr && found->Name() == e.Name());
            FUZZ_CHECK(found <= &e); // the first record of a name wins
        }
    } catch (const TableError&) {
    }
}

void CheckOpcodeNames(const std::string& path) {
    try {
        TUkazi table(path);
        for (int op = 0; op < 256; ++op)
            FUZZ_CHECK(table.GetOpcodeText(static_cast<uint8_t>(op)).Length <= 16);
    } catch (const TableError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TMemoryFile file(data, size);
    CheckInstructions(file.Path());
    CheckOpcodeNames(file.Path());
    return 0;
}
