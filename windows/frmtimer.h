#pragma once
#include <cstdint>
#include <functional>

#include "windows/toolframe.h"

class QPushButton;
class TBitGrid;
class TTimer;
class TValueField;

// "Timer": the registers of the programmable timer and two buttons that move the free-running
// counter forward. Group "Registri": the TCSR bit grid, then the counter, output compare and
// input capture as four hexadecimal digits in read-only fixed-pitch fields ("0000" until the
// first refresh), then "+$100" and "+$1000".
//
// The window is a view of its TTimer. The timer tells it when its display is to be refreshed
// (after every register access, and on every tick while a program is loaded); the window then
// notes the four registers and draws them. So with no program loaded the counter keeps counting
// in the model but the fields stand still, and the two buttons move the counter without
// showing it: the next tick of a loaded program does. While FrameLimited() says so (a fast run)
// the drawing waits for the next DisplayRefreshed(); a hidden window draws when it is shown.
class TfrmTimer : public TToolFrame {
    Q_OBJECT
public:
    // Takes over the timer's onChanged callback; the timer must outlive the window.
    explicit TfrmTimer(TTimer& timer, QWidget* parent = nullptr);
    ~TfrmTimer() override;

    TBitGrid* TcsrGrid() const { return gTCSR; }
    TValueField* CounterField() const { return txtStevec; }
    TValueField* CompareField() const { return txtPrimerjalni; }
    TValueField* CaptureField() const { return txtPrestrezni; }
    QPushButton* Advance100Button() const { return btn100; }
    QPushButton* Advance1000Button() const { return btn1000; }

    // Whether changes wait for the next display frame; unset: never.
    std::function<bool()> FrameLimited;
    // The display was brought up to date: draw what changed since.
    void DisplayRefreshed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TimerChanged();
    void Redraw();

    // The registers as the timer last asked to show them.
    struct TShown {
        uint8_t Tcsr = 0;
        uint16_t Counter = 0;
        uint16_t Compare = 0;
        uint16_t Capture = 0;
    };

    TTimer& timer_;
    TShown shown_;
    bool dirty_ = false;
    TBitGrid* gTCSR;
    TValueField* txtStevec;
    TValueField* txtPrimerjalni;
    TValueField* txtPrestrezni;
    QPushButton* btn100;
    QPushButton* btn1000;
};
