#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "windows/boardview.h"
#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QLabel;
class QStackedLayout;
class TLabBoard;

// "Plošča": the lab board's lamps, switches, push buttons, digits, displays, keypads and LCDs
// as the board shows them, and the user's hand on them. The window is a view of a TLabBoard it
// does not own: at every display frame it takes what the parts show and repaints only when
// that differs from what it drew. Without a board it says why: the fault of a board file
// (which part, which field), or how to open one. A pin driven by two at once is named in a
// warning under the parts, and the parts on it are ringed.
//
// Input goes out as signals (the board's input names, as FindInput takes them: a button's or
// switch's name, a key as "KEYPAD:KEY"); the workbench hands them to the board and asks for a
// display frame.
class TfrmPlosca : public TToolFrame {
    Q_OBJECT
public:
    explicit TfrmPlosca(QWidget* parent = nullptr);

    // The simulated time in ns the multiplexed displays and the LCD's blinking are seen at;
    // unset, time stands at 0.
    std::function<uint64_t()> Now;

    // The board to show (it must outlive the window or be replaced first), or none and why:
    // the fault of its file, or empty for no board at all. A board of another size than the
    // last one resizes the window to fit it.
    void SetBoard(const TLabBoard* board, const QString& error = QString());
    const TLabBoard* Board() const { return board_; }
    // The text shown instead of a board (the fault, or the hint); empty while a board is shown.
    QString MessageText() const;
    QString ConflictText() const;
    TBoardView* View() const { return view_; }

    // A display frame: takes what the parts show and draws what changed.
    void DrawFrame(const TDisplayFrame& frame = {});

signals:
    void pressed(const QString& name);
    void released(const QString& name);
    void switchSet(const QString& name, bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TBoardShown Take(uint64_t now) const;
    void FitToBoard();
    void ShowConflicts(const std::vector<std::string>& conflicts);

    const TLabBoard* board_ = nullptr;
    uint64_t shownRevision_ = 0;
    bool taken_ = false; // shownRevision_ is the board's
    QStackedLayout* pages_;
    QLabel* message_;
    QString messageText_;
    QWidget* boardPage_;
    TBoardView* view_;
    QLabel* conflicts_;
    QSize fitted_; // the board size the window was last fitted to
};
