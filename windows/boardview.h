#pragma once
#include <QHash>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/boardfile.h"

// What the window shows of one part, taken from the board at a display frame. The view draws
// only from this, so a frame that finds the same as the last one costs no repaint.
struct TPartShown {
    bool On = false;     // a lamp lit, a switch on, a button held
    uint8_t Pattern = 0; // a digit's lit segments
    // A multiplexed display: how bright each segment of each digit looks, 0 (dark) to
    // kBrightest (as bright as its brightest segment), from the share of the eye's window it
    // was lit in.
    static constexpr uint8_t kBrightest = 8;
    std::array<std::array<uint8_t, 8>, 8> Brightness{};
    uint16_t Keys = 0; // a keypad's held keys
    // An LCD: the character code of every place on the glass, row by row (-1: dark), the
    // cursor's place (-1: not shown) and how it shows, and the user characters.
    std::vector<int16_t> Glass;
    int CursorRow = -1, CursorCol = -1;
    bool Underline = false, BlinkFilled = false;
    std::array<uint8_t, 64> Cgram{};
    bool Conflict = false; // one of its pins is driven by two
    bool operator==(const TPartShown&) const = default;
};

struct TBoardShown {
    std::vector<TPartShown> Parts; // as the board lists them
    std::vector<std::string> Conflicts;
    bool operator==(const TBoardShown&) const = default;
};

// The drawing of a board's parts, laid out by their place in the board file (x, y in pixels at
// 100 %) or, for parts without one, in rows below the others; the whole drawing is scaled to
// the view, centred. The user's hand acts on it: a mouse press holds a push button or a key
// until the mouse is let go, a click turns a switch, and while the view has the focus the
// keyboard's keys hold the keypad's keys of the same name (letters in either case).
class TBoardView : public QWidget {
    Q_OBJECT
public:
    explicit TBoardView(QWidget* parent = nullptr);

    // The parts to draw (a copy is kept); everything drawn dark until Show.
    void SetParts(const TBoardConfig& config);
    // What the parts show now; repaints when it differs from what is drawn.
    void Show(const TBoardShown& shown);
    const TBoardShown& Shown() const { return shown_; }

    // The drawing's size at 100 %.
    QSize BoardSize() const { return boardSize_; }
    QSize sizeHint() const override { return boardSize_; }
    QSize minimumSizeHint() const override { return {80, 40}; }

    // Where a part, or one key of a keypad, is drawn in the view (empty for none).
    QRectF PartRect(int part) const;
    QRectF KeyRect(int part, int key) const;
    // The name under which the board takes a part's key: "KEY:5".
    QString KeyName(int part, int key) const;

signals:
    void pressed(const QString& name);
    void released(const QString& name);
    void switchSet(const QString& name, bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    // A part's place in the drawing (at 100 %): its body and the label under it.
    struct TPlace {
        QRectF Body;
        QRectF Label;
        QString Text;
    };
    void LayOut();
    QRectF KeyBody(int part, int key) const;
    // Where a part's drawing reaches in the view (its body, glow and ring), in whole pixels.
    QRect DrawnRect(int part) const;
    // The part (and key) at a point of the view; -1 for none.
    std::pair<int, int> HitTest(QPointF at) const;
    void ReleaseHeld();

    void DrawLed(QPainter& p, const TPlace& place, const TPartShown& s) const;
    void DrawSwitch(QPainter& p, const TPlace& place, const TPartShown& s) const;
    void DrawButton(QPainter& p, const TPlace& place, const TPartShown& s) const;
    void DrawDigits(QPainter& p, int index, const TPlace& place, const TPartShown& s) const;
    // A digit's cell in the drawing, where its drawing reaches in the view, and how bright each
    // of its segments is (0 to kBrightest).
    QRectF DigitCell(int part, int digit) const;
    QRect DigitDrawnRect(int part, int digit) const;
    static std::array<uint8_t, 8> DigitLevels(const TBoardPart& part, const TPartShown& s, int digit);
    void DrawKeypad(QPainter& p, int index, const TPlace& place, const TPartShown& s) const;
    void DrawLcd(QPainter& p, const TBoardPart& part, const TPlace& place, const TPartShown& s) const;

    TBoardConfig config_;
    std::vector<TPlace> places_;
    QSize boardSize_{320, 120};
    QTransform toView_; // from the drawing at 100 % to the view
    // The digits as drawn, by part, digit and look, at cacheDpr_ and toView_'s scale.
    mutable QHash<quint64, QPixmap> digitCache_;
    mutable qreal cacheDpr_ = 0;
    TBoardShown shown_;
    QString mouseHeld_;            // the button or key the mouse holds
    QHash<int, QString> keysHeld_; // the keypad keys the keyboard holds, by KeyId
};
