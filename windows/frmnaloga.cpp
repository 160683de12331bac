#include "windows/frmnaloga.h"

#include "windows/prompt.h"
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QColor kPassedColour(0x1E, 0x8C, 0x2E);
const QColor kFailedColour(0xC8, 0x1E, 0x1E);

// A round mark: green with a tick, or red with a cross.
QIcon Mark(bool passed) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(passed ? kPassedColour : kFailedColour);
        p.drawEllipse(QRectF(0.5 * s, 0.5 * s, 15 * s, 15 * s));
        p.setPen(QPen(Qt::white, 2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        if (passed) {
            QPainterPath tick;
            tick.moveTo(4.5 * s, 8.5 * s);
            tick.lineTo(7 * s, 11 * s);
            tick.lineTo(11.5 * s, 5.5 * s);
            p.drawPath(tick);
        } else {
            p.drawLine(QPointF(5 * s, 5 * s), QPointF(11 * s, 11 * s));
            p.drawLine(QPointF(11 * s, 5 * s), QPointF(5 * s, 11 * s));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TfrmNaloga::TfrmNaloga(QWidget* parent) : QWidget(parent, Qt::Window | Qt::Tool) {
    setObjectName(QStringLiteral("frmNaloga"));
    setWindowTitle(QStringLiteral("Preverjanje naloge"));
    resize(640, 420);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    lblNaslov = new QLabel(this);
    lblNaslov->setObjectName(QStringLiteral("lblNaslov"));
    QFont bold = lblNaslov->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lblNaslov->setFont(bold);
    lblNaslov->setTextFormat(Qt::PlainText);
    layout->addWidget(lblNaslov);
    lblOpis = new QLabel(this);
    lblOpis->setObjectName(QStringLiteral("lblOpis"));
    lblOpis->setTextFormat(Qt::PlainText);
    lblOpis->setWordWrap(true);
    layout->addWidget(lblOpis);

    lvRezultat = new QTreeWidget(this);
    lvRezultat->setObjectName(QStringLiteral("lvRezultat"));
    lvRezultat->setColumnCount(3);
    lvRezultat->setHeaderLabels(
        {QStringLiteral("Pričakovanje"), QStringLiteral("Pričakovano"), QStringLiteral("Dejansko")});
    lvRezultat->setRootIsDecorated(true);
    lvRezultat->setUniformRowHeights(true);
    lvRezultat->setAlternatingRowColors(true);
    lvRezultat->header()->setStretchLastSection(true);
    layout->addWidget(lvRezultat, 1);

    lblPovzetek = new QLabel(this);
    lblPovzetek->setObjectName(QStringLiteral("lblPovzetek"));
    lblPovzetek->setTextFormat(Qt::PlainText);
    layout->addWidget(lblPovzetek);
}

void TfrmNaloga::ShowResult(const TExercise& exercise, const TExerciseResult& result) {
    lblNaslov->setText(Utf8(exercise.Title));
    lblOpis->setText(Utf8(exercise.Description));
    lblOpis->setVisible(!exercise.Description.empty());

    lvRezultat->clear();
    for (const std::string& message : result.Messages) {
        auto* row = new QTreeWidgetItem(lvRezultat, {QStringLiteral("Sporočilo: ") + Utf8(message)});
        row->setFirstColumnSpanned(true);
    }
    const QIcon passedMark = Mark(true), failedMark = Mark(false);
    for (size_t i = 0; i < result.Checkpoints.size(); ++i) {
        const TCheckpointResult& c = result.Checkpoints[i];
        if (c.Hidden) {
            // A hidden checkpoint tells only that it is there and whether it held.
            auto* row =
                new QTreeWidgetItem(lvRezultat, {QStringLiteral("Preverjanje %1 (skrito)").arg(i + 1)});
            row->setFirstColumnSpanned(true);
            row->setIcon(0, c.Passed() ? passedMark : failedMark);
            row->setData(0, PassedRole, c.Passed());
            continue;
        }
        QString caption = QStringLiteral("Preverjanje %1").arg(i + 1);
        if (!c.Name.empty()) caption += QStringLiteral(" (%1)").arg(Utf8(c.Name));
        caption += QStringLiteral(": %1, korak %2").arg(Utf8(c.Where)).arg(c.Steps);
        auto* group = new QTreeWidgetItem(lvRezultat, {caption});
        group->setFirstColumnSpanned(true);
        bool all = true;
        for (const TExpectationResult& e : c.Results) {
            auto* row = new QTreeWidgetItem(group, {Utf8(e.What), Utf8(e.Expected), Utf8(e.Actual)});
            row->setIcon(0, e.Passed ? passedMark : failedMark);
            row->setData(0, PassedRole, e.Passed);
            if (!e.Passed) row->setForeground(2, kFailedColour);
            all = all && e.Passed;
        }
        group->setIcon(0, all ? passedMark : failedMark);
        group->setData(0, PassedRole, all);
        group->setExpanded(true);
    }
    // Room for the texts of the first two columns, with a little air before the next one.
    for (int column = 0; column < 2; ++column) {
        lvRezultat->resizeColumnToContents(column);
        lvRezultat->setColumnWidth(column, lvRezultat->columnWidth(column) + 12);
    }

    QString summary;
    if (!result.Loaded)
        summary = QStringLiteral("Program se ne prevede, naloga ni preverjena (napake so v oknu s kodo).");
    else
        summary =
            QStringLiteral("Izpolnjenih %1 od %2 pričakovanj.").arg(result.PassedCount()).arg(result.Total());
    if (result.Loaded && exercise.Scored) summary += QLatin1Char(' ') + Utf8(PointsSummary(exercise, result));
    lblPovzetek->setText(summary);
    QPalette palette = lblPovzetek->palette();
    palette.setColor(QPalette::WindowText, result.Passed() ? kPassedColour : kFailedColour);
    lblPovzetek->setPalette(palette);
}

void TfrmNaloga::Present() {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    ShowAboveTools(*this);
}

void TfrmNaloga::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
