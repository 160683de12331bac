#include "windows/frmsklad.h"
#include "windows/plaintextdelegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "session/session.h"

namespace {

QString Hex4(uint16_t value) { return QStringLiteral("$%1").arg(value, 4, 16, QLatin1Char('0')).toUpper(); }

} // namespace

TfrmSkladKlicev::TfrmSkladKlicev(TSession& session, QWidget* parent)
    : TToolFrame(QStringLiteral("Sklad klicev"), Collapse::Strip, parent), session_(session) {
    setObjectName(QStringLiteral("frmSkladKlicev"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);
    table_ = new QTableWidget(0, 4, Body());
    table_->setItemDelegate(new TPlainTextDelegate(table_));
    table_->setObjectName(QStringLiteral("tblSklad"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Vrsta"), QStringLiteral("Cilj"),
                                       QStringLiteral("Vrnitev"), QStringLiteral("Vrstica")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    warnings_ = new QListWidget(Body());
    warnings_->setObjectName(QStringLiteral("lstOpozorila"));
    warnings_->setMaximumHeight(90);
    note_ = new QLabel(Body());
    note_->setWordWrap(true);
    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(table_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Opozorila:"), Body()));
    layout->addWidget(warnings_);
    layout->addWidget(note_);
    resize(420, 320);
}

void TfrmSkladKlicev::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    session_.SetExecutionWatch(true);
    drawn_.reset();
    Draw();
}

void TfrmSkladKlicev::DrawFrame(const TDisplayFrame& frame) {
    if (!isVisible()) return;
    // A load brings other labels and lines for the same addresses.
    if (frame.Loaded != frame.WasLoaded) drawn_.reset();
    Draw();
}

void TfrmSkladKlicev::Draw() {
    const TExecutionWatch* watch = session_.Watch();
    static const std::vector<TCallFrame> none;
    const std::vector<TCallFrame>& stack = watch ? watch->Stack() : none;
    // A frame that finds the stack, the warnings and the note as drawn touches nothing.
    const TDrawn drawn{watch, watch ? watch->Revision() : 0};
    if (drawn_ == drawn) return;
    drawn_ = drawn;
    const TOznake& labels = session_.Compiler().Labels();
    auto name = [&labels](uint16_t address) {
        for (const LabelEntry& e : labels.Entries())
            if (e.Value == address) return QString::fromStdString(Cp1250ToUtf8(e.Name)) + ' ' + Hex4(address);
        return Hex4(address);
    };
    table_->setRowCount(static_cast<int>(stack.size()));
    for (int r = 0; r < static_cast<int>(stack.size()); ++r) {
        const TCallFrame& f = stack[stack.size() - 1 - r];
        const int line = session_.PeekLine(f.Return);
        const QString cells[] = {
            f.Interrupt ? QStringLiteral("prekinitev %1").arg(QString::fromLatin1(WatchSourceName(f.Source)))
                        : QStringLiteral("klic"),
            name(f.Target), Hex4(f.Return), line > 0 ? QString::number(line) : QStringLiteral("—")};
        for (int c = 0; c < 4; ++c) {
            if (!table_->item(r, c)) table_->setItem(r, c, new QTableWidgetItem);
            if (table_->item(r, c)->text() != cells[c]) table_->item(r, c)->setText(cells[c]);
        }
    }
    QStringList texts;
    if (watch)
        for (const std::string& w : watch->Warnings())
            texts << QString::fromStdString(w);
    if (warnings_->count() != texts.size() ||
        (!texts.isEmpty() && warnings_->item(warnings_->count() - 1)->text() != texts.back())) {
        warnings_->clear();
        warnings_->addItems(texts);
        warnings_->scrollToBottom();
    }
    note_->setText(
        watch && !watch->FromStart()
            ? QStringLiteral("Sklad se spremlja šele od odprtja okna; v celoti od naslednjega nalaganja.")
            : QString());
}
