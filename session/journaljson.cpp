#include "session/journaljson.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/machine.h"
#include "session/boardlink.h"
#include "session/journal.h"
#include "session/session.h"
#include "session/snapshotjson.h"

// The checkpoints and device parts are written as they are held (little-endian, the layout of
// this build, which the file names by the records' sizes); the entries of the two logs field by
// field, without their padding.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr size_t kCellBytes = 5;   // address, value, line tag
constexpr size_t kBoardBytes = 12; // old word, word index

template <typename T> void Put(std::vector<uint8_t>& out, T value) {
    const size_t at = out.size();
    out.resize(at + sizeof value);
    std::memcpy(out.data() + at, &value, sizeof value);
}

template <typename T> T Take(const std::vector<uint8_t>& in, size_t at) {
    T value;
    std::memcpy(&value, in.data() + at, sizeof value);
    return value;
}

} // namespace

THistory TJournal::Save() const {
    THistory h;
    if (count_ == 0) return h;
    const uint64_t cellsFrom = std::max(cells_.Begin(), CellsOf(frames_[first_]));
    const uint64_t boardFrom = haveBoard_ ? std::max(boardBegin_, BoardEndOf(frames_[first_])) : boardEnd_;
    const uint64_t appended = session_.Log.Appended();
    constexpr uint32_t slotMask = (1u << kPreviousShift) - 1;
    uint32_t lastSlot = 0;
    for (size_t i = 0; i < count_; ++i) {
        TFrame f = frames_[(first_ + i) % kFrameSlots];
        const uint32_t slot = f.Devices & slotMask;
        // The device parts are numbered anew in the order the frames refer to them.
        if (i == 0 || slot != lastSlot) {
            TDevices d = devices_[slot];
            const uint64_t board =
                boardEnd_ - static_cast<uint32_t>(static_cast<uint32_t>(boardEnd_) - d.Board);
            d.Board = static_cast<uint32_t>(board > boardFrom ? board - boardFrom : 0);
            const auto* bytes = reinterpret_cast<const uint8_t*>(&d);
            h.Devices.insert(h.Devices.end(), bytes, bytes + sizeof d);
            if (chipParts_ && session_.machine_->Timer.Chip()) {
                const auto* chip = reinterpret_cast<const uint8_t*>(&chipParts_[slot]);
                h.ChipParts.insert(h.ChipParts.end(), chip, chip + sizeof(TChipParts));
            }
            lastSlot = slot;
        }
        const auto number = static_cast<uint32_t>(h.Devices.size() / sizeof(TDevices) - 1);
        f.Devices = (f.Devices & ~slotMask) | number;
        f.Cells = static_cast<uint32_t>(std::max(CellsOf(f), cellsFrom) - cellsFrom);
        // The log's count as the records appended since: the log that takes it up counts its own.
        f.LogAppended = static_cast<uint32_t>(appended) - f.LogAppended;
        const auto* bytes = reinterpret_cast<const uint8_t*>(&f);
        h.Frames.insert(h.Frames.end(), bytes, bytes + sizeof f);
    }
    for (uint64_t p = cellsFrom; p < cells_.End(); ++p) {
        const TCellLog::Entry& e = cells_.At(p);
        Put(h.Cells, e.Address);
        Put(h.Cells, e.Value);
        Put(h.Cells, e.Line);
    }
    if (haveBoard_) {
        for (uint64_t p = boardFrom; p < boardEnd_; ++p) {
            const TBoardWord& w = boardLog_[p & (kBoardEntries - 1)];
            Put(h.BoardLog, w.Old);
            Put(h.BoardLog, w.Word);
        }
        const auto* shadow = reinterpret_cast<const uint8_t*>(boardShadow_.data());
        h.BoardShadow.assign(shadow, shadow + boardShadow_.size() * 8);
    }
    const TSciTerminal::TPosition terminal = session_.sciTerminal_->Position();
    h.TerminalPrefix = terminal.Prefix;
    h.TerminalEdits = terminal.Edits;
    return h;
}

std::string TJournal::Check(const THistory& h, size_t lines, bool board, bool chip) {
    if (h.Frames.size() % sizeof(TFrame) != 0 || h.Devices.size() % sizeof(TDevices) != 0 ||
        h.Cells.size() % kCellBytes != 0 || h.BoardLog.size() % kBoardBytes != 0)
        return "zapisi zgodovine niso cele dolžine";
    const size_t frames = h.Frames.size() / sizeof(TFrame), devices = h.Devices.size() / sizeof(TDevices);
    const size_t cells = h.Cells.size() / kCellBytes, words = h.BoardLog.size() / kBoardBytes;
    if (frames > kMaxSteps || devices > frames || cells > kCellEntries || words > kBoardEntries)
        return "zgodovina ima več korakov ali zapisov, kot jih ta različica hrani";
    if (frames > 0 && devices == 0) return "koraki zgodovine nimajo stanja naprav";
    if (h.ChipParts.size() != (chip ? devices * sizeof(TChipParts) : 0))
        return "stanje naprav modela MC6803 se ne ujema s stanji naprav";
    if (!h.BoardShadow.empty() && (!board || h.BoardShadow.size() != kBoardWords * 8))
        return "stanje plošče v zgodovini se ne ujema s ploščo stanja";
    uint32_t cellsBefore = 0, slotBefore = 0;
    for (size_t i = 0; i < frames; ++i) {
        const auto f = Take<TFrame>(h.Frames, i * sizeof(TFrame));
        const uint32_t slot = f.Devices & ((1u << kPreviousShift) - 1);
        const std::string where = "korak " + std::to_string(i + 1) + ": ";
        if (slot >= devices || slot < slotBefore || (f.Devices >> kPreviousShift) > 256)
            return where + "neveljavno stanje naprav";
        if (f.Cells > cells || f.Cells < cellsBefore) return where + "neveljaven položaj v zapisu celic";
        if (f.ExecutionLine < 0 || static_cast<size_t>(f.ExecutionLine) > lines)
            return where + "vrstica ni v izvornem besedilu";
        slotBefore = slot;
        cellsBefore = f.Cells;
    }
    for (size_t i = 0; i < devices; ++i)
        if (Take<TDevices>(h.Devices, i * sizeof(TDevices)).Board > words)
            return "stanje naprav " + std::to_string(i + 1) + ": neveljaven položaj v zapisu plošče";
    for (size_t i = 0; i < cells; ++i) {
        const auto line = Take<int16_t>(h.Cells, i * kCellBytes + 3);
        if (line < NoLine || (line != NoLine && static_cast<size_t>(line) > lines))
            return "zapis celic: vrstica " + std::to_string(line) + " ni v izvornem besedilu";
    }
    for (size_t i = 0; i < words; ++i)
        if (Take<uint32_t>(h.BoardLog, i * kBoardBytes + 8) >= kBoardWords)
            return "zapis plošče: neveljavna beseda stanja";
    return {};
}

void TJournal::Load(const THistory& h) {
    Reset();
    const size_t frames = h.Frames.size() / sizeof(TFrame), devices = h.Devices.size() / sizeof(TDevices);
    if (frames == 0) return;
    const uint64_t cellsFrom = cells_.End();
    for (size_t at = 0; at < h.Cells.size(); at += kCellBytes)
        cells_.Record(Take<uint16_t>(h.Cells, at),
                      MemoryCell{Take<uint8_t>(h.Cells, at + 2), Take<int16_t>(h.Cells, at + 3)});
    const TBoardLink* link = session_.boardLink_.get();
    if (link && !h.BoardShadow.empty()) {
        if (!boardLog_) boardLog_ = std::make_unique_for_overwrite<TBoardWord[]>(kBoardEntries);
        for (size_t at = 0; at < h.BoardLog.size(); at += kBoardBytes)
            boardLog_[boardEnd_++] = {Take<uint64_t>(h.BoardLog, at), Take<uint32_t>(h.BoardLog, at + 8)};
        std::memcpy(boardShadow_.data(), h.BoardShadow.data(), h.BoardShadow.size());
        boardLive_ = LiveWords(link->Board());
        haveBoard_ = true;
        // The board may have changed since it was last noted: the next checkpoint compares it.
        boardRevision_ = link->Board().Revision() + 1;
    }
    for (size_t i = 0; i < devices; ++i)
        std::memcpy(static_cast<void*>(&devices_[i]), h.Devices.data() + i * sizeof(TDevices),
                    sizeof(TDevices));
    if (!h.ChipParts.empty()) {
        if (!chipParts_) chipParts_ = std::make_unique_for_overwrite<TChipParts[]>(kDeviceSlots);
        std::memcpy(static_cast<void*>(chipParts_.get()), h.ChipParts.data(), h.ChipParts.size());
    }
    const uint64_t appended = session_.Log.Appended();
    for (size_t i = 0; i < frames; ++i) {
        TFrame f = Take<TFrame>(h.Frames, i * sizeof(TFrame));
        f.Cells = static_cast<uint32_t>(cellsFrom + f.Cells);
        f.LogAppended = static_cast<uint32_t>(appended) - f.LogAppended;
        frames_[i] = f;
    }
    first_ = 0;
    count_ = frames;
    lastDevices_ = static_cast<uint32_t>(devices - 1);
    haveDevices_ = true;
    witnessValid_ = false;
    // The devices are compared with the last part at the next checkpoint, quiet or not.
    accessesSeen_ = session_.machine_->Memory.DeviceAccesses + 1;
    session_.sciTerminal_->SetLayout(h.TerminalPrefix, h.TerminalEdits);
}

nlohmann::ordered_json HistoryToJson(const THistory& h) {
    return {{"frames", HexBytes(h.Frames.data(), h.Frames.size())},
            {"devices", HexBytes(h.Devices.data(), h.Devices.size())},
            {"cells", HexBytes(h.Cells.data(), h.Cells.size())},
            {"board_log", HexBytes(h.BoardLog.data(), h.BoardLog.size())},
            {"board_shadow", HexBytes(h.BoardShadow.data(), h.BoardShadow.size())},
            {"chip_parts", HexBytes(h.ChipParts.data(), h.ChipParts.size())},
            {"terminal_prefix", h.TerminalPrefix},
            {"terminal_edits", h.TerminalEdits}};
}

THistory HistoryFromJson(const nlohmann::json& json, size_t lines, size_t output, bool board, bool chip) {
    const TSnapshotFields f(json, "history");
    THistory h;
    h.Frames = f.Bytes("frames");
    h.Devices = f.Bytes("devices");
    h.Cells = f.Bytes("cells");
    h.BoardLog = f.Bytes("board_log");
    h.BoardShadow = f.Bytes("board_shadow");
    h.ChipParts = f.Bytes("chip_parts");
    h.TerminalPrefix = static_cast<uint32_t>(f.Number("terminal_prefix", output));
    h.TerminalEdits = static_cast<uint32_t>(f.Number("terminal_edits", UINT32_MAX));
    if (const std::string error = TJournal::Check(h, lines, board, chip); !error.empty())
        f.Fail("zgodovina korakov ni veljavna: " + error);
    return h;
}
