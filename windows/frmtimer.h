#pragma once
#include <cstdint>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QPushButton;
class TBitGrid;
class TTimer;
class TValueField;

// "Timer": the registers of the programmable timer and two buttons that move the free-running
// counter forward. Group "Registri": the TCSR bit grid, then the counter, output compare and
// input capture as four hexadecimal digits in read-only fixed-pitch fields ("0000" until the
// first frame that shows the processor), then "+$100" and "+$1000".
//
// The window is a view of its TTimer, drawn at the display frames that show the processor (while
// a program is loaded, and the frame after the steps that ended it): it takes the four registers
// then and draws what differs. So with no program loaded the counter keeps counting in the model
// but the fields stand still, and the two buttons move the counter without showing it: the next
// frame of a loaded program does. A hidden window draws what it took when it is shown.
class TfrmTimer : public TToolFrame {
    Q_OBJECT
public:
    // The timer must outlive the window.
    explicit TfrmTimer(TTimer& timer, QWidget* parent = nullptr);

    TBitGrid* TcsrGrid() const { return gTCSR; }
    TValueField* CounterField() const { return txtStevec; }
    TValueField* CompareField() const { return txtPrimerjalni; }
    TValueField* CaptureField() const { return txtPrestrezni; }
    QPushButton* Advance100Button() const { return btn100; }
    QPushButton* Advance1000Button() const { return btn1000; }

    // A display frame: takes the registers when the frame shows the processor, and draws them.
    void DrawFrame(const TDisplayFrame& frame = {});

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw();

    // The registers as the last frame that showed the processor found them.
    struct TShown {
        uint8_t Tcsr = 0;
        uint16_t Counter = 0;
        uint16_t Compare = 0;
        uint16_t Capture = 0;
    };

    TTimer& timer_;
    TShown shown_;
    TBitGrid* gTCSR;
    TValueField* txtStevec;
    TValueField* txtPrimerjalni;
    TValueField* txtPrestrezni;
    QPushButton* btn100;
    QPushButton* btn1000;
};
