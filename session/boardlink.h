#pragma once
// The lab board wired to the ports of a session's machine.
//
// Every change of the ports' lines reaches the board through PortsTouched: a write of DDR or
// DR by the program, the timer's output compare on P21 (it writes Port 2's DR), a clear of the
// memory, a click on a pin; in the chip model also the SCI's Tx and Rx lines on P24 and P23,
// which the board sees at the first step boundary after each bit of a frame begins. The board
// answers at once with what it drives, and that becomes the level of the ports' input pins (an
// output pin keeps the processor's level; a pin the board and an output both drive is a conflict
// the board reports); a change of P20 so made reaches the timer's input capture as a click on
// the pin would.
//
// Time is the cycle counter's: simulated time = cycles / E (the session's E clock: kEClockHz in
// the classic model, the setting in the chip model), in nanoseconds for the
// board. What changes with time alone (the LCD's busy flag while it is read, a bouncing
// contact) is due from DueCycles() on; the session's step calls Advance once the counter has
// got there. A run loop that runs up to its next event takes DueCycles() as one of them.
#include <cstdint>

#include "board/labboard.h"
#include "session/cycles.h"

class TMachine;

class TBoardLink {
public:
    // Hooks the board to the machine's ports. The time is `base` + `cycles` cycles (the session's
    // cycle counter and what it counted before it was last reset by hand); `due` is kept equal
    // to DueCycles(), a value of `cycles` (the session's step compares the counter with it);
    // `hz` is the E clock.
    TBoardLink(TMachine& machine, const uint64_t& cycles, const uint64_t& base, uint64_t& due,
               const uint64_t& hz, TBoardConfig config);
    // Lets go of the ports; `due` becomes UINT64_MAX (nothing due).
    ~TBoardLink();
    TBoardLink(const TBoardLink&) = delete;
    TBoardLink& operator=(const TBoardLink&) = delete;

    const TLabBoard& Board() const { return board_; }
    uint64_t NowNs() const { return CyclesToNs(base_ + cycles_, hz_); }

    // The ports' lines changed, or may have: the one place where they reach the board.
    void PortsTouched();
    // Brings the time-driven parts up to the present cycle count.
    void Advance();
    uint64_t DueCycles() const { return due_; }

    // Power comes on now (a program was loaded): the board's power-on, then the ports' lines.
    void PowerOn();
    // The user's hand, now. Each returns true when what the board drives changed; the input
    // pins follow at once.
    bool Press(TBoardInput input);
    bool Release(TBoardInput input);
    bool SetSwitch(TBoardInput input, bool on);

    // Puts back a state taken from this board, with the ports as they were then (their own
    // state is put back beside it, so they are not touched here).
    void Restore(const TLabBoard::State& state);

    // While set, port notifications are not taken: a restore of the ports tells their
    // observers, but the ports and the board are put back as one.
    bool Muted = false;
    // Mutes a board (if there is one) for its lifetime.
    class TMute {
    public:
        explicit TMute(TBoardLink* link) : link_(link) {
            if (link_) link_->Muted = true;
        }
        ~TMute() {
            if (link_) link_->Muted = false;
        }
        TMute(const TMute&) = delete;
        TMute& operator=(const TMute&) = delete;

    private:
        TBoardLink* link_;
    };

private:
    // What the board drives becomes the level of the input pins.
    void Apply();
    void Update(bool driveChanged);
    void UpdateDue();

    TMachine& machine_;
    const uint64_t& cycles_;
    const uint64_t& base_;
    uint64_t& due_;
    const uint64_t& hz_;
    TLabBoard board_;
    // The lines the board was last told of.
    TPortLines lines1_, lines2_;
};
