#pragma once
#include <cstdint>
#include <optional>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QLabel;
class QListWidget;
class QTableWidget;
class TExecutionWatch;
class TSession;

// "Sklad klicev": the chain of subroutine calls and interrupt entries that led to the current
// instruction, innermost first, each with its target, return address and the source line of the
// return; below it what the watch could not follow (the stack pointer moved by hand, a changed
// return address). The session's execution watch is on while the window is shown.
class TfrmSkladKlicev : public TToolFrame {
    Q_OBJECT
public:
    explicit TfrmSkladKlicev(TSession& session, QWidget* parent = nullptr);

    QTableWidget* Frames() const { return table_; }
    QListWidget* Warnings() const { return warnings_; }
    void DrawFrame(const TDisplayFrame& frame = {});

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw();

    TSession& session_;
    QTableWidget* table_;
    QListWidget* warnings_;
    QLabel* note_;
    // The watch and its revision the window was drawn from.
    struct TDrawn {
        const TExecutionWatch* Watch = nullptr;
        uint64_t Revision = 0;
        bool operator==(const TDrawn&) const = default;
    };
    std::optional<TDrawn> drawn_;
};
