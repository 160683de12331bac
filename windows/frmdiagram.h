#pragma once
#include <cstdint>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QCheckBox;
class QLabel;
class QPushButton;
class TLabBoard;
class TSession;
class TSignalRecorder;
class TSignalView;

// "Časovni diagram": the logic analyser. The levels of the port pins, the request lines, the
// timer's and SCI's flags and the lab board's signals from the load on, one row each (see
// TSignalView for the mouse). Above the rows: zoom, the whole recording, pan, the jump to the
// chosen row's next edge, "Sledi" (the present time stays in view while a run goes on) and the
// export as a VCD file. Below them the cursors' times and their difference, and how many of the
// oldest changes the bounded recording no longer holds.
//
// The window draws from the session's recorder at the display frames while it is shown; a hidden
// window takes up the recording when it is shown again.
class TfrmCasovniDiagram : public TToolFrame {
    Q_OBJECT
public:
    // The session must outlive the window.
    explicit TfrmCasovniDiagram(const TSession& session, QWidget* parent = nullptr);

    TSignalView* View() const { return view_; }
    QLabel* InfoLabel() const { return lblInfo; }
    QCheckBox* FollowSwitch() const { return cbSledi; }
    QPushButton* ExportButton() const { return btnIzvozi; }
    QPushButton* NextEdgeButton() const { return btnRob; }

    void DrawFrame(const TDisplayFrame& frame = {});
    // "Izvozi VCD ...": asks for a file and writes the rows shown.
    void Export();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Takes up the session's recorder and its board's signals when they changed.
    void Follow();
    void ShowInfo();

    const TSession& session_;
    const TSignalRecorder* recorder_ = nullptr;
    const TLabBoard* board_ = nullptr;
    bool shownOnce_ = false;
    TSignalView* view_;
    QLabel* lblInfo;
    QCheckBox* cbSledi;
    QPushButton* btnIzvozi;
    QPushButton* btnRob;
};
