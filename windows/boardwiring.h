#pragma once
#include <QString>
#include <cstdint>
#include <vector>

#include "board/boardfile.h"

// How a part of the lab board is wired, in the words of its tool tip and as a pin mask.

// The board's pins a part is wired to, one bit per pin as TPin::Mask counts them.
uint16_t PartPins(const TBoardPart& part);
// The part's kind, name and pins: "lučka L0: nožica 1.0".
QString Wiring(const TBoardPart& part);
