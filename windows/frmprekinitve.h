#pragma once
#include <vector>

#include "session/interrupts.h"
#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QTableWidget;
class TSession;
class TInterruptTimeline;

// "Prekinitve": one row per interrupt source (NMI, IRQ, SCI, TOF, OCF, ICF, SWI) with its enable
// bit, flag, whether it is pending and masked by I, its vector and whether it is defined, the
// last entry's latency and how many times it was entered; a pending request that is not taken
// says why in its row's tooltip. Below the table a small timeline of the entries and returns,
// nested by depth. Drawn at the display frames while shown; the session's execution watch is
// on while the window is shown.
class TfrmPrekinitve : public TToolFrame {
    Q_OBJECT
public:
    explicit TfrmPrekinitve(TSession& session, QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    void DrawFrame(const TDisplayFrame& frame = {});

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw();

    TSession& session_;
    QTableWidget* table_;
    TInterruptTimeline* timeline_;
    std::vector<TInterruptRow> drawn_; // the rows as the table shows them
};
