#pragma once
#include <QMetaType>

// One display frame. Run control alone decides when the display is drawn: after every command,
// at the display rate while a run goes on, and after a device clock's tick outside a run (at
// most about 25 times a second). It then tells every window at once, and each window redraws
// from the models what differs from what it shows. The fields say what the frame is drawn for;
// the state itself is always read from the models.
struct TDisplayFrame {
    // A program is loaded now, and was at the last frame.
    bool Loaded = true;
    bool WasLoaded = false;
    // Steps ran or were taken back, or a program was loaded, since the last frame: the views
    // that follow the program counter (the address list, the code window) go to it.
    bool Stepped = false;
    // A run goes on and draws the frames: the next one follows within the display rate, so what
    // would only move a scroll bar may wait for a later one.
    bool Running = false;

    // The processor and the timer are shown as they are now while a program is loaded, and once
    // more at the frame after it stopped (or after the steps that ended it), so that the final
    // state stays on show.
    bool Processor() const { return Loaded || WasLoaded || Stepped; }
};
Q_DECLARE_METATYPE(TDisplayFrame)
