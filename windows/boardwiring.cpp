#include "windows/boardwiring.h"

#include <QStringList>

// The pins of a list as the board file writes them: "1.0, 1.1".
QString PinList(const std::vector<TPin>& pins) {
    QStringList out;
    for (const TPin& pin : pins)
        out << QString::fromStdString(PinText(pin));
    return out.join(QStringLiteral(", "));
}

uint16_t PartPins(const TBoardPart& p) {
    uint16_t pins = 0;
    const auto add = [&](const TPin& pin) { pins |= pin.Mask(); };
    switch (p.Kind) {
    case TPartKind::Led:
    case TPartKind::Switch:
    case TPartKind::Button:
        add(p.Pin);
        break;
    case TPartKind::Digit:
    case TPartKind::Display:
        for (const auto& seg : p.Segments)
            if (seg) add(*seg);
        if (p.Bcd)
            for (const TPin& pin : *p.Bcd)
                add(pin);
        for (const TPin& pin : p.Digits)
            add(pin);
        break;
    case TPartKind::Keypad:
        for (const TPin& pin : p.Rows)
            add(pin);
        for (const TPin& pin : p.Cols)
            add(pin);
        break;
    case TPartKind::Lcd:
        for (const TPin& pin : p.Data)
            add(pin);
        add(p.Rs);
        add(p.E);
        if (p.Rw) add(*p.Rw);
        break;
    }
    return pins;
}

// How a part is wired, for its tool tip: "lučka L0: nožica 1.0".
QString Wiring(const TBoardPart& p) {
    QString text = QStringLiteral("%1 %2: ").arg(QString::fromUtf8(PartKindName(p.Kind)),
                                                 QString::fromStdString(p.Name));
    switch (p.Kind) {
    case TPartKind::Led:
    case TPartKind::Switch:
    case TPartKind::Button:
        return text + QStringLiteral("nožica ") + QString::fromStdString(PinText(p.Pin));
    case TPartKind::Digit:
    case TPartKind::Display: {
        if (p.Bcd) {
            text += QStringLiteral("BCD ") + PinList(std::vector<TPin>(p.Bcd->begin(), p.Bcd->end()));
            if (p.Segments[7])
                text += QStringLiteral(", dp ") + QString::fromStdString(PinText(*p.Segments[7]));
        } else {
            QStringList segs;
            for (int i = 0; i < 8; ++i)
                if (p.Segments[static_cast<size_t>(i)])
                    segs << QStringLiteral("%1 %2").arg(
                        i < 7 ? QString(QChar(static_cast<char16_t>(u'a' + i))) : QStringLiteral("dp"),
                        QString::fromStdString(PinText(*p.Segments[static_cast<size_t>(i)])));
            text += QStringLiteral("segmenti ") + segs.join(QStringLiteral(", "));
        }
        if (p.Kind == TPartKind::Display) text += QStringLiteral("; mesta ") + PinList(p.Digits);
        return text;
    }
    case TPartKind::Keypad:
        return text + QStringLiteral("vrstice ") + PinList(p.Rows) + QStringLiteral("; stolpci ") +
               PinList(p.Cols);
    case TPartKind::Lcd: {
        text += QStringLiteral("%1x%2, ").arg(p.LcdCols).arg(p.LcdRows);
        const int first = p.Data.size() == 8 ? 0 : 4;
        QStringList data;
        for (size_t k = 0; k < p.Data.size(); ++k)
            data << QStringLiteral("D%1 %2")
                        .arg(first + static_cast<int>(k))
                        .arg(QString::fromStdString(PinText(p.Data[k])));
        text += data.join(QStringLiteral(", "));
        text += QStringLiteral(", RS ") + QString::fromStdString(PinText(p.Rs));
        if (p.Rw) text += QStringLiteral(", R/W ") + QString::fromStdString(PinText(*p.Rw));
        return text + QStringLiteral(", E ") + QString::fromStdString(PinText(p.E));
    }
    }
    return text;
}
