#pragma once
#include <QWidget>

#include "session/exercisecheck.h"

class QLabel;
class QTreeWidget;

// The result of "Preveri nalogo": the exercise's title and description, the run's messages,
// every checkpoint with its expectations marked green (met) or red (not met) beside the
// expected and the actual value, and the count of the expectations met (and the points, when
// the exercise gives them). A hidden checkpoint is one row that tells only whether it held, not
// what it checks. A separate window,
// created once and shown after each check; it keeps no reference to the session.
//
// Parts by object name: "lblNaslov", "lblOpis", "lvRezultat" (one top-level row per
// checkpoint, one child row per expectation; the run's messages first), "lblPovzetek".
class TfrmNaloga : public QWidget {
    Q_OBJECT
public:
    explicit TfrmNaloga(QWidget* parent = nullptr);

    // Fills the window from a check (the window is not shown here).
    void ShowResult(const TExercise& exercise, const TExerciseResult& result);
    // Shows the window in front, centred on the screen the first time.
    void Present();

    // Role of a row's data that tells whether it passed (bool); the message rows have none.
    static constexpr int PassedRole = Qt::UserRole + 1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool placed_ = false;
    QLabel* lblNaslov;
    QLabel* lblOpis;
    QTreeWidget* lvRezultat;
    QLabel* lblPovzetek;
};
