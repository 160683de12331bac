#include "windows/frmprofil.h"
#include "windows/plaintextdelegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "session/session.h"

TfrmProfil::TfrmProfil(TSession& session, QWidget* parent)
    : TToolFrame(QStringLiteral("Profil"), Collapse::Strip, parent), session_(session) {
    setObjectName(QStringLiteral("frmProfil"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);
    table_ = new QTableWidget(0, 5, Body());
    table_->setItemDelegate(new TPlainTextDelegate(table_));
    table_->setObjectName(QStringLiteral("tblProfil"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Podprogram"), QStringLiteral("Naslov"),
                                       QStringLiteral("Klicev"), QStringLiteral("Cikli s klicanimi"),
                                       QStringLiteral("Lastni cikli")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The columns fit their contents when a row comes or a text grows longer than its column's
    // longest so far, not at every frame (a fit measures every cell).
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    total_ = new QLabel(Body());
    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(table_, 1);
    layout->addWidget(total_);
    resize(480, 280);
}

void TfrmProfil::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    session_.SetExecutionWatch(true);
    drawn_.reset();
    Draw();
}

void TfrmProfil::DrawFrame(const TDisplayFrame& frame) {
    if (!isVisible()) return;
    // A load brings other labels for the same addresses.
    if (frame.Loaded != frame.WasLoaded) drawn_.reset();
    Draw();
}

void TfrmProfil::Draw() {
    const TExecutionWatch* watch = session_.Watch();
    // The profile changes with the watch's records and, for the frames still open, the cycle
    // counter: a frame that finds both as drawn reads nothing more.
    const TDrawn drawn{watch, watch ? watch->Revision() : 0, session_.Cycles()};
    if (drawn_ == drawn) return;
    drawn_ = drawn;
    const std::vector<TSubroutineProfile> rows =
        watch ? watch->Subroutines(&session_.Compiler().Labels(), session_.Cycles())
              : std::vector<TSubroutineProfile>{};
    bool fit = table_->rowCount() != static_cast<int>(rows.size());
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TSubroutineProfile& p = rows[r];
        const QString cells[] = {
            QString::fromStdString(Cp1250ToUtf8(p.Label)),
            p.Main ? QStringLiteral("—")
                   : QStringLiteral("$%1").arg(p.Address, 4, 16, QLatin1Char('0')).toUpper(),
            p.Main ? QStringLiteral("—") : QString::number(p.Calls), QString::number(p.Inclusive),
            QString::number(p.Exclusive)};
        for (int c = 0; c < 5; ++c) {
            QTableWidgetItem* item = table_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(r, c, item);
            }
            if (item->text() == cells[c]) continue;
            item->setText(cells[c]);
            if (cells[c].size() > longest_[c]) {
                longest_[c] = static_cast<int>(cells[c].size());
                fit = true;
            }
        }
    }
    if (fit) table_->resizeColumnsToContents();
    total_->setText(watch ? QStringLiteral("Cikli vseh vrstic: %1").arg(watch->TotalCycles())
                          : QStringLiteral("Profil se zbira, ko je okno odprto."));
}
