// The board's state beside the run: the step history for reverse step, the whole state as one
// value, the recorders that watch a run, and the lab board on the ports.
#include <memory>
#include <string>
#include <utility>

#include "base/files.h"
#include "session/boardlink.h"
#include "session/journal.h"
#include "session/journaljson.h"
#include "session/sciterminal.h"
#include "session/session.h"

// --- reverse step -----------------------------------------------------------------------------

void TSession::SetHistoryEnabled(bool on) {
    journal_->Attach(on);
    history_ = on;
}

bool TSession::HistoryEnabled() const { return history_; }

void TSession::MarkCheckpoint(bool quiet) {
    if (history_ && machine_->loaded) journal_->Mark(quiet);
}

THistory TSession::SaveHistory() const { return history_ ? journal_->Save() : THistory{}; }

void TSession::LoadHistory(const THistory& history) {
    if (history_) journal_->Load(history);
}

size_t TSession::HistoryDepth() const { return history_ ? journal_->Depth() : 0; }

bool TSession::StepBack() {
    if (!CanStepBack() || !journal_->StepBack()) return false;
    if (steps_ != 0) --steps_;
    if (signals_) signals_->Rewind(SignalTime(), SampleSignals(*machine_));
    if (watch_) watch_->StepBack(SignalTime());
    // Every step was taken with a program loaded; the session halts where the step began.
    machine_->loaded = true;
    state_ = RunState::Halted;
    stoppedByStep_ = false;
    return true;
}

TBoardState TSession::Capture() const {
    TBoardState board{machine_->Capture(), sciTerminal_->Save(), cycles_, std::nullopt};
    if (boardLink_) board.LabBoard = boardLink_->Board().Current();
    return board;
}

void TSession::Restore(const TBoardState& board) {
    {
        // The ports and the lab board go back together: the ports' observers must not make the
        // board answer the restored lines as a change.
        TBoardLink::TMute mute(boardLink_.get());
        machine_->Restore(board.Machine);
    }
    timeHz_ = LoadedModel() == TProcessorModel::Chip ? eHz_ : kEClockHz;
    sciTerminal_->Restore(board.Terminal);
    cycles_ = board.Cycles;
    if (boardLink_) {
        if (board.LabBoard) boardLink_->Restore(*board.LabBoard);
        // A state taken without a board: the board answers the ports as they are now.
        else boardLink_->PortsTouched();
    }
    journal_->Reset();
    stoppedByStep_ = false;
    if (signals_) signals_->Rewind(SignalTime(), SampleSignals(*machine_));
    // What led to the restored state is not known.
    if (watch_) watch_->Clear();
    Refresh();
}

void TSession::SetExecutionWatch(bool on) {
    if (!on) watch_.reset();
    else if (!watch_) watch_ = std::make_unique<TExecutionWatch>();
    watched_ = signals_ || watch_;
}

void TSession::SetSignalRecording(bool on, size_t capacity) {
    if (!on) {
        signals_.reset();
        watched_ = signals_ || watch_;
        return;
    }
    if (signals_ && signals_->Capacity() == capacity) return;
    signals_ = std::make_unique<TSignalRecorder>(capacity);
    watched_ = true;
    signals_->Sample(SignalTime(), SampleSignals(*machine_));
}

// --- the lab board ----------------------------------------------------------------------------

TBoardRead TSession::SetBoardText(std::string_view text, const std::string& file) {
    TBoardRead read = ParseBoard(text);
    if (read.Ok()) {
        SetBoard(*read.Board);
        boardFile_ = file;
        boardText_ = text;
    }
    return read;
}

TBoardRead TSession::LoadBoardFile(const std::string& path) {
    // The text is kept with the board (a snapshot carries it). A file the board reader would
    // refuse as too large (256 KiB), or that cannot be read, is told in the reader's own words.
    const TFileRead file = ReadFileCapped(path, size_t{256} << 10);
    if (!file.Ok()) return ReadBoardFile(path);
    return SetBoardText(file.Data, path);
}

void TSession::SetBoard(TBoardConfig config) {
    boardFile_.clear();
    boardText_.clear();
    boardLink_.reset();
    boardLink_ = std::make_unique<TBoardLink>(*machine_, cycles_, boardCycleBase_, boardDue_, timeHz_,
                                              std::move(config));
    journal_->Reset();
}

void TSession::RemoveBoard() {
    if (!boardLink_) return;
    boardFile_.clear();
    boardText_.clear();
    boardLink_.reset();
    journal_->Reset();
}

const TLabBoard* TSession::Board() const { return boardLink_ ? &boardLink_->Board() : nullptr; }

std::optional<TBoardInput> TSession::FindBoardInput(std::string_view name, TLabBoard::TInputUse use,
                                                    std::string& error) const {
    if (!boardLink_) {
        error = "ni plošče";
        return std::nullopt;
    }
    return boardLink_->Board().FindInput(name, use, error);
}

bool TSession::PressOnBoard(TBoardInput input) { return boardLink_ && boardLink_->Press(input); }
bool TSession::ReleaseOnBoard(TBoardInput input) { return boardLink_ && boardLink_->Release(input); }
bool TSession::SetBoardSwitch(TBoardInput input, bool on) {
    return boardLink_ && boardLink_->SetSwitch(input, on);
}

void TSession::AdvanceBoard() {
    if (boardLink_) boardLink_->Advance();
}
