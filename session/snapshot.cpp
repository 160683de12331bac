#include "session/snapshot.h"

#include <algorithm>
#include <cstdio>

#include "base/encoding.h"
#include "base/files.h"
#include "base/outfile.h"
#include "base/syserror.h"
#include "board/boardfile.h"
#include "board/statejson.h"
#include "session/snapshotjson.h"

namespace {

using Out = nlohmann::ordered_json;
using In = nlohmann::json;

// The text's lines as the editor gives them to the assembler: split at line ends, the empty
// piece after a final line end dropped.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (end == std::string::npos) {
            if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
            break;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

Out WatchesToJson(const std::vector<TWatch>& watches) {
    Out out = Out::array();
    for (const TWatch& w : watches)
        out.push_back({{"target", w.Target}, {"size", w.Size == WatchSize::Word ? "word" : "byte"}});
    return out;
}

std::vector<TWatch> WatchesFromJson(const In& list) {
    if (!list.is_array()) throw TSnapshotError("\"watches\" mora biti seznam");
    std::vector<TWatch> out;
    for (size_t i = 0; i < list.size(); ++i) {
        const TSnapshotFields f(list[i], "watches[" + std::to_string(i) + "]");
        TWatch w;
        w.Target = f.Text("target");
        if (w.Target.empty() || w.Target.size() > TWatchList::MaxTargetLength)
            f.Fail("\"target\" mora imeti od 1 do " + std::to_string(TWatchList::MaxTargetLength) +
                   " znakov");
        const std::string size = f.Text("size");
        if (size != "byte" && size != "word") f.Fail("\"size\" mora biti \"byte\" ali \"word\"");
        w.Size = size == "word" ? WatchSize::Word : WatchSize::Byte;
        out.push_back(std::move(w));
    }
    return out;
}

// The lab board's part: its file's text, checked as a board file, and its state for that board.
void BoardFromJson(const In& json, TSnapshot& s) {
    if (json.is_null()) return;
    const TSnapshotFields f(json, "board");
    s.BoardFile = f.Text("file");
    s.BoardText = f.Text("text");
    const TBoardRead read = ParseBoard(s.BoardText);
    if (!read.Ok()) f.Fail("opis plošče ni veljaven: " + read.Message());
    const TLabBoard board(*read.Board);
    std::string error;
    s.Board.LabBoard = BoardStateFromJson(board, f.Get("state"), error);
    if (!s.Board.LabBoard) f.Fail("stanje plošče: " + error);
}

TSnapshot SnapshotFromJson(const In& json) {
    TSnapshot s;
    const TSnapshotFields f(json, "stanje");
    s.Model = f.Text("model");
    if (!KnownModel(s.Model))
        throw TSnapshotError("stanje je posneto z modelom procesorja \"" + s.Model +
                             "\", ki ga ta različica Orleka ne pozna");

    const TSnapshotFields source(f.Get("source"), "source");
    s.SourcePath = source.Text("path");
    s.Source = source.Text("text");
    const size_t lines = SplitLines(s.Source).size();

    for (const In& b : f.Array("breakpoints")) {
        // A breakpoint may sit on the editor's empty last line, just after the text.
        if (!b.is_number_unsigned() || b.get<uint64_t>() == 0 || b.get<uint64_t>() > lines + 1)
            throw TSnapshotError(
                "\"breakpoints\": prekinitvena točka mora biti na vrstici izvornega besedila (1 do " +
                std::to_string(lines + 1) + ")");
        const int line = b.get<int>();
        if (std::find(s.Breakpoints.begin(), s.Breakpoints.end(), line) != s.Breakpoints.end())
            throw TSnapshotError("\"breakpoints\": vrstica " + std::to_string(line) + " je navedena dvakrat");
        s.Breakpoints.push_back(line);
    }
    s.Watches = WatchesFromJson(f.Get("watches"));
    s.Board.Machine = MachineFromJson(f.Get("machine"), lines);
    ParseModelName(s.Model, s.Board.Machine.Model);
    s.Board.Terminal = TerminalFromJson(f.Get("terminal"));
    s.Trace = TraceFromJson(f.Get("trace"));
    s.Board.Cycles = f.Number("cycles", UINT64_MAX);
    s.BoardCycleBase = f.Number("board_cycle_base", UINT64_MAX);
    s.Steps = f.Number("steps", UINT64_MAX);
    s.PreviousOpcode = static_cast<int>(f.Signed("previous_opcode", -1, 255));
    BoardFromJson(f.Get("board"), s);
    if (f.Has("history") && !f.Get("history").is_null())
        s.History =
            HistoryFromJson(f.Get("history"), lines, s.Board.Terminal.Output.size(),
                            s.Board.LabBoard.has_value(), s.Board.Machine.Model == TProcessorModel::Chip);
    return s;
}

} // namespace

bool TTraceRecord::operator==(const TTraceRecord& o) const {
    const auto same = [](const TraceRow& a, const TraceRow& b) {
        return a.Address == b.Address && a.Data == b.Data && a.Direction == b.Direction;
    };
    return Enabled == o.Enabled && RowLimit == o.RowLimit && Triggers == o.Triggers &&
           Qualifiers == o.Qualifiers &&
           std::equal(Rows.begin(), Rows.end(), o.Rows.begin(), o.Rows.end(), same) && Dropped == o.Dropped &&
           Recorded == o.Recorded;
}

std::string SessionModel(const TSession& session) { return std::string(ModelName(session.LoadedModel())); }

bool KnownModel(std::string_view name) {
    TProcessorModel model;
    return ParseModelName(name, model);
}

std::vector<std::string> SnapshotSourceLines(const TSnapshot& snapshot) {
    std::vector<std::string> lines = SplitLines(snapshot.Source);
    for (std::string& line : lines)
        line = Utf8ToCp1250(line);
    // As the editor does: a breakpoint on the empty line after the text is on a line all the same.
    for (int line : snapshot.Breakpoints)
        while (lines.size() < static_cast<size_t>(line))
            lines.emplace_back();
    return lines;
}

std::string SnapshotToJson(const TSnapshot& s) {
    Out board = nullptr;
    if (s.Board.LabBoard) {
        const TBoardRead read = ParseBoard(s.BoardText);
        // A board whose file text is not kept cannot be read back: it is left out.
        if (read.Ok())
            board = {{"file", s.BoardFile},
                     {"text", s.BoardText},
                     {"state", BoardStateToJson(TLabBoard(*read.Board), *s.Board.LabBoard)}};
    }
    Out json = {{"format", kSnapshotFormat},
                {"version", kSnapshotVersion},
                {"model", s.Model},
                {"source", {{"path", s.SourcePath}, {"text", s.Source}}},
                {"breakpoints", s.Breakpoints},
                {"watches", WatchesToJson(s.Watches)},
                {"machine", MachineToJson(s.Board.Machine)},
                {"terminal", TerminalToJson(s.Board.Terminal)},
                {"trace", TraceToJson(s.Trace)},
                {"cycles", s.Board.Cycles},
                {"board_cycle_base", s.BoardCycleBase},
                {"steps", s.Steps},
                {"previous_opcode", s.PreviousOpcode},
                {"board", board}};
    if (s.History) json["history"] = HistoryToJson(*s.History);
    // Texts that are not UTF-8 (a path in another encoding) are written with replacement
    // characters rather than refused.
    return json.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

TSnapshotRead ParseSnapshot(std::string_view text) {
    TSnapshotRead read;
    In json;
    try {
        json = In::parse(text);
    } catch (const In::parse_error& e) {
        read.Error =
            "datoteka ni veljaven JSON (poškodovana ali nepopolna datoteka?), bajt " + std::to_string(e.byte);
        return read;
    }
    if (!json.is_object() || !json.contains("format") || json["format"] != kSnapshotFormat) {
        read.Error = "to ni datoteka stanja Orlek";
        return read;
    }
    if (!json.contains("version") || !json["version"].is_number_unsigned() || json["version"] == 0) {
        read.Error = "datoteka stanja nima veljavne različice";
        return read;
    }
    const uint64_t version = json["version"].get<uint64_t>();
    if (version > static_cast<uint64_t>(kSnapshotVersion)) {
        read.Error = "datoteko stanja je zapisala novejša različica Orleka (zapis " +
                     std::to_string(version) + "); ta različica bere zapise do " +
                     std::to_string(kSnapshotVersion);
        return read;
    }
    try {
        read.Snapshot = SnapshotFromJson(json);
    } catch (const TSnapshotError& e) {
        read.Error = std::string("datoteka stanja ni skladna: ") + e.what();
    } catch (const In::exception& e) {
        read.Error = std::string("datoteka stanja ni skladna: ") + e.what();
    }
    return read;
}

TSnapshotRead ReadSnapshotFile(const std::string& path) {
    const TFileRead file = ReadFileCapped(path, kMaxSnapshotBytes);
    TSnapshotRead read;
    switch (file.Failure) {
    case ReadFailure::None:
        return ParseSnapshot(file.Data);
    case ReadFailure::TooLarge:
        read.Error = "datoteka je prevelika za datoteko stanja";
        break;
    case ReadFailure::Directory:
        read.Error = "to je mapa, ne datoteka stanja";
        break;
    case ReadFailure::Open:
        read.Error = "datoteke ni mogoče odpreti (" + SystemErrorText(file.Error) + ")";
        break;
    case ReadFailure::Read:
        read.Error = "napaka pri branju datoteke (" + SystemErrorText(file.Error) + ")";
        break;
    }
    return read;
}

bool WriteSnapshotFile(const std::string& path, const TSnapshot& snapshot, std::string& error) {
    const std::string text = SnapshotToJson(snapshot);
    TOutputFile out;
    if (!out.Open(path, error)) return false;
    if (std::fwrite(text.data(), 1, text.size(), out.Stream()) != text.size()) {
        out.Discard();
        error = "napaka pri pisanju datoteke stanja \"" + path + "\"";
        return false;
    }
    return out.Commit(error);
}

TSnapshot CaptureSnapshot(TSession& session, bool history) {
    TSnapshot s;
    if (history && session.HistoryDepth() > 0) s.History = session.SaveHistory();
    s.Model = SessionModel(session);
    s.Breakpoints = session.Breakpoints.Lines();
    s.Board = session.Capture();
    s.BoardCycleBase = session.BoardCycleBase();
    s.PreviousOpcode = session.PreviousOpcode();
    // A board is kept with the text it was read from; one set from a configuration alone (an
    // exercise's) could not be read back, so the snapshot goes without it.
    if (session.Board() && !session.BoardText().empty()) {
        s.BoardFile = session.BoardFile();
        s.BoardText = session.BoardText();
    } else {
        s.Board.LabBoard.reset();
    }
    TTrace& trace = session.Machine().Memory.Trace;
    s.Trace.Enabled = session.Machine().Memory.TraceEnabled;
    s.Trace.RowLimit = trace.RowLimit;
    for (auto [list, out] :
         {std::pair{&trace.Triggers, &s.Trace.Triggers}, std::pair{&trace.Qualifiers, &s.Trace.Qualifiers}}) {
        list->Rewind();
        while (!list->AtEnd)
            out->push_back(list->Next());
    }
    s.Trace.Rows = trace.Rows();
    s.Trace.Dropped = trace.DroppedRows();
    s.Trace.Recorded = trace.RowsRecorded();
    return s;
}

bool ApplySnapshot(TSession& session, const TSnapshot& snapshot, std::string& error) {
    if (!KnownModel(snapshot.Model)) {
        error = "model procesorja \"" + snapshot.Model + "\" ni podprt";
        return false;
    }
    std::optional<TBoardConfig> board;
    if (snapshot.Board.LabBoard) {
        TBoardRead read = ParseBoard(snapshot.BoardText);
        if (!read.Ok()) {
            error = "opis plošče ni veljaven: " + read.Message();
            return false;
        }
        board = std::move(read.Board);
    }
    session.Stop();
    const std::vector<int> breakpoints = session.Breakpoints.Lines();
    session.Breakpoints.Clear();
    // Added oldest first, so that the list is newest first again.
    for (auto it = snapshot.Breakpoints.rbegin(); it != snapshot.Breakpoints.rend(); ++it)
        session.Breakpoints.Add(*it);
    // Loaded in the snapshot's model; the setting for later loads stays the user's.
    const TProcessorModel setting = session.Model();
    session.SetModel(snapshot.Board.Machine.Model);
    const TLoadResult load = session.LoadProgram(SnapshotSourceLines(snapshot));
    session.SetModel(setting);
    if (!load.Ok) {
        session.Breakpoints.Clear();
        for (auto it = breakpoints.rbegin(); it != breakpoints.rend(); ++it)
            session.Breakpoints.Add(*it);
        error = "izvorno besedilo stanja se ne prevede";
        if (!load.Messages.empty()) error += ": " + load.Messages.front();
        return false;
    }
    if (board) session.SetBoardText(snapshot.BoardText, snapshot.BoardFile);
    else session.RemoveBoard();

    TMachine& machine = session.Machine();
    TTrace& trace = machine.Memory.Trace;
    trace.Triggers.Clear();
    trace.Qualifiers.Clear();
    for (auto [from, list] : {std::pair{&snapshot.Trace.Triggers, &trace.Triggers},
                              std::pair{&snapshot.Trace.Qualifiers, &trace.Qualifiers}})
        for (auto it = from->rbegin(); it != from->rend(); ++it)
            list->Add(*it);
    machine.Memory.TraceEnabled = snapshot.Trace.Enabled;
    trace.RowLimit = snapshot.Trace.RowLimit;
    trace.RestoreRows(snapshot.Trace.Rows, snapshot.Trace.Dropped, snapshot.Trace.Recorded);

    session.SetBoardCycleBase(snapshot.BoardCycleBase);
    session.Restore(snapshot.Board);
    session.SetPreviousOpcode(snapshot.PreviousOpcode);
    if (snapshot.History) session.LoadHistory(*snapshot.History);
    return true;
}
