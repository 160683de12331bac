#pragma once
#include <QAbstractButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/devices/ports.h"
#include "windows/bitgrid.h"
#include "windows/toolframe.h"

class TPort;

// A pin's button: the pin's picture on black, drawn by the program at the screen's resolution:
// output at 0 a grey disc, output at 1 a green disc (a lamp), input at 0 a grey square, input at
// 1 a white square (a switch).
class TPinButton : public QAbstractButton {
    Q_OBJECT
public:
    TPinButton(const TPort& port, int pin, QWidget* parent = nullptr);

    int Pin() const { return pin_; }
    // The picture shown now: the port's PinImage of this pin (0 to 3).
    PinImageKind Image() const;
    QSize sizeHint() const override { return {TBitGrid::kCellWidth, TBitGrid::kCellWidth}; }

    // Draws picture `image` (0 to 3) into the 16 x 16 square at `topLeft`.
    static void DrawPicture(QPainter& painter, QPointF topLeft, PinImageKind image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TPort& port_;
    int pin_;
};

// A port window: the label "DDR" over the direction grid, "DR" over the data grid, and a row of
// pin buttons "b7" ... "b0" (Port 2: "b4" ... "b0"), each under its grid column. The window is a
// view of its TPort: a click on an input pin's button, or on its DR cell, toggles the pin; a
// click on an output pin or on the DDR grid does nothing.
//
// The port tells the window of every change. While FrameLimited() says so (a fast run) the
// window only notes the change and draws at the next DisplayRefreshed(), so a program that
// writes the port every instruction costs one repaint per display frame, not one per step.
class TfrmPort : public TToolFrame {
    Q_OBJECT
public:
    // Takes over the port's onChanged callback; the port must outlive the window.
    TfrmPort(TPort& port, const QString& caption, Collapse collapse, QWidget* parent = nullptr);
    ~TfrmPort() override;

    TPort& Port() const { return port_; }
    TBitGrid* DdrGrid() const { return gDDR; }
    TBitGrid* DrGrid() const { return gDR; }
    TPinButton* PinButton(int pin) const;
    // Grid column of a pin: the highest pin stands leftmost.
    int ColumnOfPin(int pin) const;

    // The clicks, callable directly.
    void PinClicked(int pin);
    void DrCellClicked(int column);

    // Whether changes wait for the next display frame; unset: never.
    std::function<bool()> FrameLimited;
    // The display was brought up to date: draw what changed since.
    void DisplayRefreshed();

private:
    void PortChanged();
    void Redraw();

    TPort& port_;
    bool dirty_ = false;
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
