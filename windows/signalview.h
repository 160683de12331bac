#pragma once
#include <QStaticText>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "session/signals.h"

// The rows of the logic analyser: a time ruler at the top, then one row per signal with its
// name at the left and its levels over the time shown. Two cursors (A: left click, B: right
// click, or Shift with the left button) and the marker of the present time (the recording's
// Now) are vertical lines. The wheel zooms around the mouse, Shift with the wheel or a drag with
// the middle button pans, a click on a name chooses the row that "next edge" follows.
//
// The view draws from the recorder it is given; it keeps only the time shown, the cursors and
// the chosen row.
class TSignalView : public QWidget {
    Q_OBJECT
public:
    explicit TSignalView(QWidget* parent = nullptr);

    // What to draw; the recorder must outlive the view (or be replaced before it goes).
    void SetRecording(const TSignalRecorder* recorder, std::vector<TSignal> rows, uint64_t hz);
    const std::vector<TSignal>& Rows() const { return rows_; }
    const TSignalRecorder* Recorder() const { return recorder_; }

    // The time shown: from Start() on, Scale() units a pixel.
    double Start() const { return start_; }
    double Scale() const { return scale_; }
    void SetView(double start, double scale);
    // Zooms by `factor` (>1 shows more time) around the time at x, or the middle.
    void ZoomBy(double factor, std::optional<int> x = std::nullopt);
    // Shows the whole recording.
    void ShowAll();
    // Keeps the present time at the right edge.
    void FollowNow();
    // The recording may have grown: repaints when it changed since it was last painted (a
    // display frame with nothing new draws nothing).
    void RecordingMoved();

    std::optional<uint64_t> CursorA() const { return cursorA_; }
    std::optional<uint64_t> CursorB() const { return cursorB_; }
    void SetCursors(std::optional<uint64_t> a, std::optional<uint64_t> b);
    int SelectedRow() const { return selected_; }
    void SelectRow(int row);
    // Moves cursor A to the chosen row's next edge after it (from the start of the recording
    // without a cursor); false when there is none.
    bool JumpToNextEdge();

    // Geometry, for the window and the tests.
    static constexpr int kRowHeight = 18;
    static constexpr int kRulerHeight = 20;
    int NameWidth() const { return nameWidth_; }
    int WaveWidth() const { return std::max(1, width() - nameWidth_); }
    int XOf(double time) const;
    double TimeAt(int x) const;
    int RowAt(int y) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The cursors, the chosen row or the time shown changed by the user's hand.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void DrawRuler(QPainter& painter, uint64_t first, uint64_t last);
    void DrawRow(QPainter& painter, int row, uint64_t first, uint64_t last, bool withName);
    void DrawLine(QPainter& painter, std::optional<uint64_t> time, const QColor& color);
    uint64_t End() const;

    // What a paint drew of the recording, to tell whether a frame brought anything new.
    struct TPainted {
        uint64_t Now = 0, Dropped = 0;
        size_t Count = 0;
        bool operator==(const TPainted&) const = default;
    };
    TPainted Recorded() const;

    const TSignalRecorder* recorder_ = nullptr;
    std::vector<TSignal> rows_;
    std::vector<QStaticText> names_; // the rows' names, laid out once
    std::optional<TPainted> painted_;
    uint64_t hz_ = 0;
    double start_ = 0;
    double scale_ = 0.25; // units a pixel: four pixels a step to begin with
    std::optional<uint64_t> cursorA_, cursorB_;
    int selected_ = 0;
    int nameWidth_ = 80;
    std::optional<int> dragX_;
    double dragStart_ = 0;
};
