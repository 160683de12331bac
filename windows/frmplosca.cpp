#include "windows/frmplosca.h"
#include "windows/boardwiring.h"

#include <QLabel>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "board/hd44780.h"
#include "board/labboard.h"
#include "board/sevenseg.h"

// ============================================================================ TfrmPlosca

TfrmPlosca::TfrmPlosca(QWidget* parent) : TToolFrame(QStringLiteral("Plošča"), Collapse::Strip, parent) {
    setObjectName(QStringLiteral("frmPlosca"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);

    pages_ = new QStackedLayout(Body());
    message_ = new QLabel(Body());
    message_->setObjectName(QStringLiteral("lblSporocilo"));
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setContentsMargins(12, 10, 12, 10);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pages_->addWidget(message_);

    boardPage_ = new QWidget(Body());
    auto* layout = new QVBoxLayout(boardPage_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new TBoardView(boardPage_);
    layout->addWidget(view_, 1);
    conflicts_ = new QLabel(boardPage_);
    conflicts_->setObjectName(QStringLiteral("lblSpori"));
    conflicts_->setWordWrap(true);
    conflicts_->setContentsMargins(8, 4, 8, 4);
    conflicts_->setStyleSheet(
        QStringLiteral("#lblSpori { background: #FFF1D6; color: #7A3D00; border-top: 1px solid #E0A030; }"));
    conflicts_->hide();
    layout->addWidget(conflicts_);
    pages_->addWidget(boardPage_);

    connect(view_, &TBoardView::pressed, this, &TfrmPlosca::pressed);
    connect(view_, &TBoardView::released, this, &TfrmPlosca::released);
    connect(view_, &TBoardView::switchSet, this, &TfrmPlosca::switchSet);

    SetBoard(nullptr);
    resize(340, kStripHeight + 110);
    fitted_ = {};
}

void TfrmPlosca::SetBoard(const TLabBoard* board, const QString& error) {
    board_ = board;
    taken_ = false;
    if (!board_) {
        view_->SetParts({});
        conflicts_->hide();
        const QString heading = error.isEmpty() ? QStringLiteral("Plošča ni odprta.")
                                                : QStringLiteral("Napaka v datoteki plošče");
        const QString text =
            error.isEmpty() ? QStringLiteral("Odprete jo z ukazom Datoteke › Odpri ploščo ... Plošča kaže "
                                             "lučke, stikala, tipke, prikazovalnike, tipkovnice in LCD, "
                                             "vezane na nožice vrat.")
                            : error;
        messageText_ = heading + QLatin1Char('\n') + text;
        message_->setText(QStringLiteral("<b>%1</b><br>%2")
                              .arg(heading.toHtmlEscaped(),
                                   text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
        message_->setStyleSheet(error.isEmpty() ? QString() : QStringLiteral("QLabel { color: #8B1A10; }"));
        pages_->setCurrentWidget(message_);
        // A long fault is read whole, without scrolling.
        const int need = kStripHeight + message_->heightForWidth(width());
        if (!Collapsed() && height() < need) resize(width(), need);
        return;
    }
    view_->SetParts(board_->Config());
    pages_->setCurrentWidget(boardPage_);
    if (isVisible()) DrawFrame();
    FitToBoard();
}

QString TfrmPlosca::MessageText() const { return board_ ? QString() : messageText_; }

QString TfrmPlosca::ConflictText() const { return conflicts_->isHidden() ? QString() : conflicts_->text(); }

void TfrmPlosca::FitToBoard() {
    const QSize board = view_->BoardSize();
    if (board == fitted_) return;
    fitted_ = board;
    QSize size(std::max(board.width(), 240), board.height() + kStripHeight);
    if (conflicts_->isVisible()) size.rheight() += conflicts_->sizeHint().height();
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    if (Collapsed()) {
        SetSavedHeight(size.height());
        resize(size.width(), height());
    } else {
        resize(size);
    }
    // A larger board must not push the window off the screen's edge.
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        const QRect frame = frameGeometry().united(QRect(pos(), this->size()));
        const QPoint shift(std::min(0, area.right() - frame.right()),
                           std::min(0, area.bottom() - frame.bottom()));
        if (!shift.isNull())
            move(std::max(area.left(), x() + shift.x()), std::max(area.top(), y() + shift.y()));
    }
}

TBoardShown TfrmPlosca::Take(uint64_t now) const {
    TBoardShown out;
    uint16_t conflictPins = 0;
    for (const TBoardConflict& c : board_->Conflicts()) {
        conflictPins |= c.Pins;
        out.Conflicts.push_back(c.Text);
    }
    const uint64_t at = std::max(now, board_->Current().Now);
    for (const TBoardPart& p : board_->Parts()) {
        TPartShown s;
        switch (p.Kind) {
        case TPartKind::Led:
            s.On = board_->LampLit(p);
            break;
        case TPartKind::Switch:
            s.On = board_->SwitchOn(p);
            break;
        case TPartKind::Button:
            s.On = board_->ButtonHeld(p);
            break;
        case TPartKind::Digit:
            s.Pattern = board_->DigitPattern(p);
            break;
        case TPartKind::Display: {
            // A segment the eye sees is drawn as bright as the share of the time it was lit,
            // against the brightest segment of the display: a ghost is faint, a digit shown
            // for less time than the others dimmer, one visited too seldom flickers.
            const TPersistence::TPatterns shown = board_->DisplayPatterns(p, now);
            const TPersistence::TShares shares =
                TPersistence::Shares(board_->Current().Displays[static_cast<size_t>(p.Slot)], at,
                                     uint64_t{p.PersistenceMs} * 1'000'000);
            const size_t digits = std::min<size_t>(p.Digits.size(), TPersistence::kMaxDigits);
            unsigned brightest = 1;
            for (size_t d = 0; d < digits; ++d)
                for (size_t seg = 0; seg < 8; ++seg)
                    if ((shown[d] >> seg) & 1u) brightest = std::max<unsigned>(brightest, shares[d][seg]);
            for (size_t d = 0; d < digits; ++d)
                for (size_t seg = 0; seg < 8; ++seg) {
                    if (!((shown[d] >> seg) & 1u)) continue;
                    const unsigned level =
                        (shares[d][seg] * TPartShown::kBrightest + brightest / 2) / brightest;
                    s.Brightness[d][seg] =
                        static_cast<uint8_t>(std::clamp<unsigned>(level, 1, TPartShown::kBrightest));
                }
            break;
        }
        case TPartKind::Keypad:
            s.Keys = board_->KeysHeld(p);
            break;
        case TPartKind::Lcd: {
            const THd44780::State& lcd = board_->Lcd(p);
            s.Glass.resize(static_cast<size_t>(p.LcdRows * p.LcdCols), -1);
            for (int row = 0; row < p.LcdRows; ++row)
                for (int col = 0; col < p.LcdCols; ++col)
                    if (const auto code = THd44780::CharAt(lcd, p.LcdRows, p.LcdCols, row, col))
                        s.Glass[static_cast<size_t>(row * p.LcdCols + col)] = *code;
            const auto cursor = THd44780::CursorPlace(lcd, p.LcdRows, p.LcdCols);
            if (cursor && (lcd.CursorOn || lcd.Blink)) {
                s.CursorRow = cursor->first;
                s.CursorCol = cursor->second;
                s.Underline = lcd.CursorOn;
                s.BlinkFilled = lcd.Blink && THd44780::BlinkPhaseOn(at);
            }
            s.Cgram = lcd.Cgram;
            break;
        }
        }
        s.Conflict = (PartPins(p) & conflictPins) != 0;
        out.Parts.push_back(std::move(s));
    }
    return out;
}

void TfrmPlosca::DrawFrame(const TDisplayFrame&) {
    // A hidden window takes nothing; it takes what there is when it is shown.
    if (!board_ || !isVisible()) return;
    // What time alone changes: the displays' persistence and a blinking cursor.
    bool timed = false;
    for (const TBoardPart& p : board_->Parts())
        if (p.Kind == TPartKind::Display || (p.Kind == TPartKind::Lcd && board_->Lcd(p).Blink)) timed = true;
    if (taken_ && board_->Revision() == shownRevision_ && !timed) return;
    shownRevision_ = board_->Revision();
    taken_ = true;
    const TBoardShown shown = Take(Now ? Now() : 0);
    if (shown == view_->Shown()) return;
    if (shown.Conflicts != view_->Shown().Conflicts) ShowConflicts(shown.Conflicts);
    view_->Show(shown);
}

// The warning under the parts: the window grows by its height, so the parts keep their size, and
// gives it back when the warning goes.
void TfrmPlosca::ShowConflicts(const std::vector<std::string>& conflicts) {
    QStringList lines;
    for (const std::string& text : conflicts) {
        QString line = QString::fromStdString(text);
        if (!line.isEmpty()) line[0] = line[0].toUpper();
        lines << QStringLiteral("⚠ ") + line;
    }
    const int before = conflicts_->isVisible() ? conflicts_->height() : 0;
    conflicts_->setText(lines.join(QLatin1Char('\n')));
    conflicts_->setVisible(!lines.isEmpty());
    const int after = lines.isEmpty() ? 0 : conflicts_->heightForWidth(width());
    if (after != before && !Collapsed()) resize(width(), height() + after - before);
}

void TfrmPlosca::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    taken_ = false;
    DrawFrame();
}
