#pragma once
#include <QAbstractButton>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "engine/devices/ports.h"
#include "windows/bitgrid.h"
#include "windows/displayframe.h"
#include "windows/toolframe.h"

// A pin's button: the pin's picture on black, drawn by the program at the screen's resolution:
// output at 0 a grey disc, output at 1 a green disc (a lamp), input at 0 a grey square, input at
// 1 a white square (a switch). It shows the picture its window last gave it.
class TPinButton : public QAbstractButton {
    Q_OBJECT
public:
    TPinButton(int pin, QWidget* parent = nullptr);

    int Pin() const { return pin_; }
    // The picture shown now.
    PinImageKind Image() const { return image_; }
    // Shows another picture; the same one costs no repaint.
    void SetImage(PinImageKind image);
    QSize sizeHint() const override { return {TBitGrid::kCellWidth, TBitGrid::kCellWidth}; }

    // Draws picture `image` (0 to 3) into the 16 x 16 square at `topLeft`.
    static void DrawPicture(QPainter& painter, QPointF topLeft, PinImageKind image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int pin_;
    PinImageKind image_ = PinImageKind::InputLow;
};

// A port window: the label "DDR" over the direction grid, "DR" over the data grid, and a row of
// pin buttons "b7" ... "b0" (Port 2: "b4" ... "b0"), each under its grid column. The window is a
// view of its TPort: a click on an input pin's button, or on its DR cell, toggles the pin; a
// click on an output pin or on the DDR grid does nothing.
//
// The window draws at the display frames: it compares the port's direction and levels with what
// it shows, so a program that writes the port every instruction costs one repaint per frame and
// a frame that finds the port unchanged costs none.
class TfrmPort : public TToolFrame {
    Q_OBJECT
public:
    // The port must outlive the window.
    TfrmPort(TPort& port, const QString& caption, Collapse collapse, QWidget* parent = nullptr);

    TPort& Port() const { return port_; }
    TBitGrid* DdrGrid() const { return gDDR; }
    TBitGrid* DrGrid() const { return gDR; }
    TPinButton* PinButton(int pin) const;
    // Grid column of a pin: the highest pin stands leftmost.
    int ColumnOfPin(int pin) const;

    // The clicks, callable directly: a toggled pin asks for a display frame.
    void PinClicked(int pin);
    void DrCellClicked(int column);

    // A display frame: draws what changed in the port since the last one.
    void DrawFrame(const TDisplayFrame& frame = {});

signals:
    // A pin was toggled: the display is to show its new level.
    void refreshRequested();

private:
    void Draw();

    TPort& port_;
    uint8_t shownDirection_ = 0;
    uint8_t shownLevel_ = 0;
    TBitGrid* gDDR;
    TBitGrid* gDR;
    std::vector<TPinButton*> pins_; // indexed by pin
};

// "Port1": the eight pins of Port 1; collapses to a 20-pixel strip.
class TfrmPort1 : public TfrmPort {
    Q_OBJECT
public:
    explicit TfrmPort1(TPort& port, QWidget* parent = nullptr);
};

// "Port2": the five pins of Port 2 (pin 0 feeds the timer's input capture); collapses to its
// header strip alone.
class TfrmPort2 : public TfrmPort {
    Q_OBJECT
public:
    explicit TfrmPort2(TPort& port, QWidget* parent = nullptr);
};
