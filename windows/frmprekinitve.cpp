#include "windows/frmprekinitve.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "session/interrupts.h"
#include "session/session.h"
#include "windows/displaystyle.h"

// The entries (up) and returns (down) of the watch's timeline, the deeper ones higher.
class TInterruptTimeline : public QWidget {
public:
    explicit TInterruptTimeline(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("timeline"));
        setMinimumHeight(60);
        setToolTip(
            QStringLiteral("Vstopi v prekinitve (navzgor) in vrnitve z RTI (navzdol), ugnezdeni po globini"));
    }
    std::vector<TTimelineEvent> Events;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().base());
        p.setPen(palette().mid().color());
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (Events.empty()) return;
        const uint64_t first = Events.front().Time, last = std::max(Events.back().Time, first + 1);
        const double scale = (width() - 20.0) / static_cast<double>(last - first);
        static const QColor colours[kWatchSources] = {
            Qt::red, Qt::darkBlue, Qt::darkGreen, Qt::darkMagenta, Qt::darkYellow, Qt::darkCyan, Qt::black};
        int level = 0;
        int x0 = 10;
        for (const TTimelineEvent& e : Events) {
            const int x = 10 + static_cast<int>((e.Time - first) * scale);
            const int y = height() - 10 - 12 * level;
            p.setPen(palette().text().color());
            p.drawLine(x0, y, x, y);
            level = e.Entry ? e.Depth + 1 : e.Depth;
            const int y2 = height() - 10 - 12 * level;
            p.setPen(QPen(colours[static_cast<int>(e.Source)], 2));
            p.drawLine(x, y, x, y2);
            x0 = x;
        }
        p.setPen(palette().text().color());
        p.drawLine(x0, height() - 10 - 12 * level, width() - 10, height() - 10 - 12 * level);
    }
};

namespace {

const QStringList kColumns = {QStringLiteral("Vir"),        QStringLiteral("Omogočen"),
                              QStringLiteral("Zastavica"),  QStringLiteral("Čaka"),
                              QStringLiteral("Maska I"),    QStringLiteral("Vektor"),
                              QStringLiteral("Zakasnitev"), QStringLiteral("Vstopov")};

QString YesNo(bool on) { return on ? QStringLiteral("da") : QStringLiteral("ne"); }

} // namespace

TfrmPrekinitve::TfrmPrekinitve(TSession& session, QWidget* parent)
    : TToolFrame(QStringLiteral("Prekinitve"), Collapse::Strip, parent), session_(session) {
    setObjectName(QStringLiteral("frmPrekinitve"));
    Widget2()->SetGlyph(QLatin1Char('t'));
    Widget2()->SetShowHint(true);
    table_ = new QTableWidget(kWatchSources, kColumns.size(), Body());
    table_->setObjectName(QStringLiteral("tblPrekinitve"));
    table_->setHorizontalHeaderLabels(kColumns);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeaderItem(6)->setToolTip(
        QStringLiteral("Od zahteve do prvega ukaza prekinitvenega programa, v korakih"));
    for (int r = 0; r < kWatchSources; ++r)
        for (int c = 0; c < kColumns.size(); ++c)
            table_->setItem(r, c, new QTableWidgetItem);
    timeline_ = new TInterruptTimeline(Body());
    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(table_, 1);
    layout->addWidget(timeline_);
    resize(560, 330);
}

void TfrmPrekinitve::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    session_.SetExecutionWatch(true);
    drawn_.clear();
    Draw();
}

void TfrmPrekinitve::DrawFrame(const TDisplayFrame&) {
    if (isVisible()) Draw();
}

void TfrmPrekinitve::Draw() {
    // A frame that finds the rows and the timeline as drawn touches nothing.
    const TExecutionWatch* watch = session_.Watch();
    static const std::vector<TTimelineEvent> none;
    const std::vector<TTimelineEvent>& events = watch ? watch->Timeline() : none;
    if (events != timeline_->Events) {
        timeline_->Events = events;
        timeline_->update();
    }
    std::vector<TInterruptRow> rows = InterruptRows(session_.Machine(), watch);
    if (rows == drawn_) return;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TInterruptRow& row = rows[r];
        const QString cells[] = {
            QString::fromLatin1(row.Name),
            row.Enabled ? YesNo(*row.Enabled) : QStringLiteral("—"),
            row.Source == TWatchSource::Swi ? QStringLiteral("—") : YesNo(row.Flag),
            YesNo(row.Pending),
            row.Source == TWatchSource::Nmi || row.Source == TWatchSource::Swi ? QStringLiteral("—")
                                                                               : YesNo(row.Masked),
            QStringLiteral("$%1 %2")
                .arg(row.Vector, 4, 16, QLatin1Char('0'))
                .toUpper()
                .arg(row.VectorDefined ? QString() : QStringLiteral("(ni definiran)"))
                .trimmed(),
            row.Latency ? QString::number(*row.Latency) : QStringLiteral("—"),
            QString::number(row.Entries),
        };
        const QString why = QString::fromStdString(row.Why);
        for (int c = 0; c < kColumns.size(); ++c) {
            QTableWidgetItem* item = table_->item(r, c);
            if (item->text() != cells[c]) item->setText(cells[c]);
            if (item->toolTip() != why) item->setToolTip(why);
            const QBrush background =
                row.Pending && !why.isEmpty() ? QBrush(QColor(255, 235, 200)) : QBrush();
            if (item->background() != background) item->setBackground(background);
        }
    }
    drawn_ = std::move(rows);
}
