#include "assembler/ukazi.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/syserror.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

[[noreturn]] void Fail(const char* what, const std::string& path, const std::string& detail) {
    throw TableError(std::string("Ne morem prebrati ") + what + ": " + path + " (" + detail + ")");
}

// Reads a whole file, refusing anything larger than limit bytes (a table is a few KiB).
std::vector<uint8_t> ReadAll(const char* what, const std::string& path, size_t limit) {
    errno = 0;
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) Fail(what, path, errno ? SystemErrorText(errno) : "datoteke ni mogoče odpreti");
    std::vector<uint8_t> data(limit + 1);
    size_t got = std::fread(data.data(), 1, data.size(), f.get());
    if (std::ferror(f.get())) Fail(what, path, "napaka pri branju");
    data.resize(got);
    return data;
}

uint64_t PackName(std::string_view name) {
    uint64_t key = name.size();
    for (char c : name)
        key = (key << 8) | static_cast<uint8_t>(c);
    return key;
}

size_t HashKey(uint64_t key) {
    key *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(key >> 55); // 9 bits: 0..IndexSize-1
}

bool SizeFitsMode(uint8_t mode, uint8_t size) {
    if (size == 0) return true; // mode not available
    switch (mode) {
    case 0:
        return size == 1; // inherent
    case 1:
        return size == 2 || size == 3; // immediate, 8- or 16-bit operand
    case 2:
        return size == 2; // direct
    case 3:
        return size == 3; // extended
    case 4:
        return size == 2; // indexed
    case 5:
        return size == 2; // relative
    default:
        return false;
    }
}

} // namespace

TUkaziFast::TUkaziFast(const std::string& path) {
    const char* what = "tabele ukazov";
    std::vector<uint8_t> data = ReadAll(what, path, MaxRecords * RecordSize);
    if (data.size() % RecordSize != 0 || data.size() < MinRecords * RecordSize ||
        data.size() > MaxRecords * RecordSize)
        Fail(what, path,
             "velikost " + std::to_string(data.size()) + " zlogov, pričakovano " +
                 std::to_string(MinRecords * RecordSize) + " ali " + std::to_string(MaxRecords * RecordSize));
    count_ = data.size() / RecordSize;
    for (size_t i = 0; i < count_; ++i) {
        const uint8_t* r = data.data() + i * RecordSize;
        InstructionEntry& e = records_[i];
        auto bad = [&](const std::string& why) {
            Fail(what, path, "zapis " + std::to_string(i + 1) + ": " + why);
        };
        e.Length = r[0];
        if (e.Length > 5) bad("dolžina mnemonika " + std::to_string(e.Length));
        std::memcpy(e.Mnemonic, r + 1, 5);
        e.ModeCount = r[6];
        if (e.ModeCount > 4) bad("število načinov " + std::to_string(e.ModeCount));
        for (int m = 0; m < 4; ++m) {
            const uint8_t* me = r + 7 + m * 9;
            ModeEntry& mode = e.Modes[m];
            std::memcpy(mode.Reserved, me, 6);
            mode.Opcode = me[6];
            mode.Mode = me[7];
            mode.Size = me[8];
            if (m < e.ModeCount && !SizeFitsMode(mode.Mode, mode.Size))
                bad("način " + std::to_string(mode.Mode) + " z dolžino " + std::to_string(mode.Size));
        }
        // Index the record unless an earlier one has the same name (the first one wins).
        uint64_t key = PackName(e.Name());
        for (size_t h = HashKey(key);; h = (h + 1) % IndexSize) {
            if (slots_[h] == 0) {
                keys_[h] = key;
                slots_[h] = static_cast<uint8_t>(i + 1);
                break;
            }
            if (keys_[h] == key) break;
        }
    }
}

const InstructionEntry* TUkaziFast::Find(std::string_view mnemonic) const {
    if (mnemonic.size() > 5) return nullptr;
    uint64_t key = PackName(mnemonic);
    for (size_t h = HashKey(key);; h = (h + 1) % IndexSize) {
        if (slots_[h] == 0) return nullptr;
        if (keys_[h] == key) return &records_[slots_[h] - 1];
    }
}

bool TUkaziFast::FindInstruction(std::string_view mnemonic, InstructionEntry& entry) const {
    const InstructionEntry* e = Find(mnemonic);
    if (!e) {
        entry = InstructionEntry{};
        return false;
    }
    entry = *e;
    return true;
}

TUkazi::TUkazi(const std::string& path) {
    const char* what = "tabele imen ukazov";
    std::vector<uint8_t> data = ReadAll(what, path, Records * RecordSize);
    if (data.size() != Records * RecordSize)
        Fail(what, path,
             "velikost " + std::to_string(data.size()) + " zlogov, pričakovano " +
                 std::to_string(Records * RecordSize));
    for (size_t i = 0; i < Records; ++i) {
        const uint8_t* r = data.data() + i * RecordSize;
        if (r[0] > 16)
            Fail(what, path, "zapis " + std::to_string(i) + ": dolžina besedila " + std::to_string(r[0]));
        records_[i].Length = r[0];
        std::memcpy(records_[i].Text, r + 1, 16);
    }
}
