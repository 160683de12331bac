#include "cli/state.h"

#include <filesystem>
#include <system_error>

#include "base/encoding.h"

namespace {

void PrintLine(std::FILE* f, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fputc('\n', f);
}

} // namespace

std::optional<TSnapshot> ReadStateFile(const std::string& path, std::FILE* err) {
    TSnapshotRead read = ReadSnapshotFile(path);
    if (!read.Ok()) {
        PrintLine(err, "orlek-cli: stanje \"" + path + "\": " + read.Error);
        return std::nullopt;
    }
    return std::move(read.Snapshot);
}

bool ContinueFromState(const std::string& path, const TSnapshot& snapshot, TSession& session,
                       std::FILE* err) {
    std::string error;
    if (ApplySnapshot(session, snapshot, error)) return true;
    PrintLine(err, "orlek-cli: stanje \"" + path + "\": " + error);
    return false;
}

bool SaveStateFile(const TCliOptions& options, TSession& session, const TSnapshot* continued,
                   const TSourceLines& lines, uint64_t steps, std::FILE* err) {
    // The steps a run kept for --back go with it, so that a run going on from the file steps
    // back past its start.
    TSnapshot snapshot = CaptureSnapshot(session, session.HistoryEnabled());
    snapshot.Steps = steps;
    if (continued) {
        snapshot.SourcePath = continued->SourcePath;
        snapshot.Source = continued->Source;
        snapshot.Watches = continued->Watches;
    } else {
        for (size_t i = 0; i < lines.size(); ++i)
            snapshot.Source += Cp1250ToUtf8(lines[i]) + "\n";
        // The whole path, so that the workbench that opens the snapshot elsewhere can tell it.
        std::error_code ec;
        if (options.Source != "-") {
            const std::filesystem::path full = std::filesystem::absolute(options.Source, ec);
            snapshot.SourcePath = ec ? options.Source : full.lexically_normal().string();
        }
    }
    std::string error;
    if (WriteSnapshotFile(options.SaveState, snapshot, error)) return true;
    PrintLine(err, "orlek-cli: --save-state: " + error);
    return false;
}
