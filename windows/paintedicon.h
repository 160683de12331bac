#pragma once
#include <QIcon>
#include <QRectF>
#include <functional>

class QPainter;

// An icon drawn by code at the size and pixel density it is shown at, so it stays crisp on any
// screen. `draw` paints into the given square with the painter's pen set to the ink of the
// icon's mode (the button text colour, greyed while disabled) and antialiasing on.
using TIconPainter = std::function<void(QPainter&, const QRectF&)>;
QIcon PaintedIcon(TIconPainter draw);
