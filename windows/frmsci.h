#pragma once
#include <QWidget>
#include <cstdint>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TBitGrid;
class TSci;
class TSciTerminal;

// The serial line between the chip and the external system, drawn: the panel "Tx" with a line
// out to the external system, the panel "Rx" with a line in from it, and in loopback a line from
// "Tx" down to "Rx" instead of the one out. A panel is lit while a byte is on its way through it.
class TSciLinePicture : public QWidget {
    Q_OBJECT
public:
    explicit TSciLinePicture(QWidget* parent = nullptr);

    bool Loopback() const { return loopback_; }
    // Schedules a repaint when anything shown changed.
    void SetState(bool loopback, bool sending, bool receiving);

    QSize sizeHint() const override { return {84, 64}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool loopback_ = false;
    bool sending_ = false;
    bool receiving_ = false;
};

// "SCI": the serial interface's registers and the external system at the other end of the line.
//
// Left, group "MC6803": the RMCR and TRCSR bit grids and the chip's rate ("Takt"). In the middle
// the line picture, the toggle "Rx=Tx" (loopback) and the line's four counts (decimal): TxCount
// and TDR, RxCount and RxByte. Right, group "Zunanji sistem": "Izhod" (what the chip sent),
// "Vhod" (what the user will send), the mode button "ASCII"/"HEX", "Send", and the external
// system's rate box "Hitrost".
//
// The window is a view of the chip (TSci) and of the terminal model (TSciTerminal), which holds
// the mode, the rate, the input and the output: the controls only show and edit them, and ask for
// a display frame after they did. The user may edit "Izhod"; later bytes are added to the edited
// text. At every display frame the window takes the registers, and after a tick of the SCI clock
// also the line's counts, and draws what differs; a hidden window draws when it is shown.
class TfrmSCI : public TToolFrame {
    Q_OBJECT
public:
    // The chip and the terminal must outlive the window.
    TfrmSCI(TSci& sci, TSciTerminal& terminal, QWidget* parent = nullptr);

    TBitGrid* RmcrGrid() const { return gRMCR; }
    TBitGrid* TrcsrGrid() const { return gTRCSR; }
    QLineEdit* ChipRateField() const { return txtTakt; }
    TSciLinePicture* LinePicture() const { return pbLinija; }
    QToolButton* LoopbackButton() const { return btnRxTx; }
    // The four counts: TxCount, TDR, RxCount, RxByte.
    QLabel* CountLabel(int index) const { return lblStevci[index]; }
    QLineEdit* OutputField() const { return txtIzhod; }
    QLineEdit* InputField() const { return txtVhod; }
    QPushButton* ModeButton() const { return btnNacin; }
    QPushButton* SendButton() const { return btnSend; }
    QComboBox* RateBox() const { return cbHitrost; }

    // "Send": one byte from the input field; "Napacni podatki" for HEX digits that are none.
    void Send();

    // A display frame: takes what the chip and the terminal hold and draws what changed.
    void DrawFrame(const TDisplayFrame& frame = {});

signals:
    // A control changed the chip or the terminal: the display is to show it.
    void refreshRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateChipGroup();
    QWidget* CreateLine();
    QWidget* CreateExternalGroup();
    void Draw();

    // What the frames took from the chip: the registers at every frame, the counts at the first
    // frame after a tick.
    struct TShown {
        uint8_t Rmcr = 0;
        uint8_t Trcsr = 0;
        uint8_t TxCount = 0;
        uint8_t Tdr = 0;
        uint8_t RxCount = 0;
        uint8_t RxByte = 0;
    };

    TSci& sci_;
    TSciTerminal& terminal_;
    TShown shown_;
    uint32_t seenTicks_ = 0;
    uint64_t shownOutput_ = ~uint64_t{0}; // the terminal's output revision in the field

    TBitGrid* gRMCR;
    TBitGrid* gTRCSR;
    QLineEdit* txtTakt;
    TSciLinePicture* pbLinija;
    QToolButton* btnRxTx;
    QLabel* lblStevci[4];
    QLineEdit* txtIzhod;
    QLineEdit* txtVhod;
    QPushButton* btnNacin;
    QPushButton* btnSend;
    QComboBox* cbHitrost;
};
