#pragma once
#include <cstdint>
#include <optional>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QLabel;
class QTableWidget;
class TExecutionWatch;
class TSession;

// "Profil": the subroutines by the cycles they took with what they called (inclusive), most
// first, with their calls and their own cycles (exclusive); the main program first. The profile
// starts again with the cycle counter. The session's execution watch is on while it is shown.
class TfrmProfil : public TToolFrame {
    Q_OBJECT
public:
    explicit TfrmProfil(TSession& session, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    void DrawFrame(const TDisplayFrame& frame = {});

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw();

    TSession& session_;
    QTableWidget* table_;
    QLabel* total_;
    int longest_[5] = {}; // each column's longest text so far, in characters
    struct TDrawn {
        const TExecutionWatch* Watch = nullptr;
        uint64_t Revision = 0, Cycles = 0;
        bool operator==(const TDrawn&) const = default;
    };
    std::optional<TDrawn> drawn_; // what the rows were drawn from
};
