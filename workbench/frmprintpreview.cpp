#include "workbench/frmprintpreview.h"

#include <QAction>
#include <QEvent>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "editor/printobject.h"

namespace {

// A hint of the form "short|long": the tool tip shows the short part, the status bar the long.
void SetHint(QAction* action, const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

TfrmPrintPreview::TfrmPrintPreview(TPrintObject& object, QWidget* parent)
    : QDialog(parent), printObject(object) {
    setObjectName(QStringLiteral("frmPrintPreview"));
    setWindowTitle(QStringLiteral("Predogled tiskanja"));
    setModal(true);
    resize(760, 820);
    setSizeGripEnabled(true);

    auto* toolBar = new QToolBar(this);
    toolBar->setIconSize(QSize(16, 16));
    QStyle* s = style();
    QAction* first =
        Action("FirstBtn", QStringLiteral("Začetek"), QStringLiteral("Začetek|Pojdi na prvo stran"),
               s->standardIcon(QStyle::SP_MediaSkipBackward));
    QAction* prior =
        Action("PriorBtn", QStringLiteral("Nazaj"), QStringLiteral("Nazaj|Pojdi eno stran nazaj"),
               s->standardIcon(QStyle::SP_MediaSeekBackward));
    QAction* next =
        Action("NextBtn", QStringLiteral("Naprej"), QStringLiteral("Naprej|Pojdi eno stran naprej"),
               s->standardIcon(QStyle::SP_MediaSeekForward));
    QAction* last = Action("LastBtn", QStringLiteral("Konec"), QStringLiteral("Konec|Pojdi na zadnjo stran"),
                           s->standardIcon(QStyle::SP_MediaSkipForward));
    QAction* zoom =
        Action("ZoomBtn", QStringLiteral("Povečava"), QStringLiteral("Povečava|Povečaj/pomanjšaj pogled"),
               s->standardIcon(QStyle::SP_FileDialogContentsView));
    printBtn = Action(
        "PrintBtn", QStringLiteral("Natisni"), QStringLiteral("Natisni|Natisni dokument"),
        QIcon::fromTheme(QStringLiteral("document-print"), s->standardIcon(QStyle::SP_DialogSaveButton)));
    QAction* close =
        Action("CloseBtn", QStringLiteral("Zapri"), QStringLiteral("Zapri|Zapri predogled tiskanja"),
               s->standardIcon(QStyle::SP_DialogCloseButton));

    auto* zoomMenu = new QMenu(this);
    zoomMenu->setObjectName(QStringLiteral("ZoomMenu"));
    zoomMenu->addAction(QStringLiteral("Celotna stran"), this, [this] { SetWholePage(); });
    zoomMenu->addAction(QStringLiteral("Širina strani"), this, [this] { SetPageWidth(); });
    for (int percent : {25, 50, 100, 120, 200, 400})
        zoomMenu->addAction(QStringLiteral("%1%").arg(percent), this,
                            [this, percent] { SetZoomPercent(percent); });
    zoom->setMenu(zoomMenu);

    for (QAction* a : {first, prior, next, last})
        toolBar->addAction(a);
    toolBar->addSeparator();
    toolBar->addAction(zoom);
    zoomButton = qobject_cast<QToolButton*>(toolBar->widgetForAction(zoom));
    if (zoomButton) zoomButton->setPopupMode(QToolButton::MenuButtonPopup);
    toolBar->addSeparator();
    toolBar->addAction(printBtn);
    toolBar->addAction(close);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    preview = new QPrintPreviewWidget(&printObject, this);
    preview->setObjectName(QStringLiteral("Preview"));
    preview->setViewMode(QPrintPreviewWidget::SinglePageView);
    preview->fitInView();
    connect(preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        // The preview shows every page, whatever range the last print dialog chose.
        printer->setPrintRange(QPrinter::AllPages);
        QPainter painter(printer);
        printObject.Draw(painter);
    });
    connect(preview, &QPrintPreviewWidget::previewChanged, this, [this] { UpdatePagePanel(); });
    // Clicks on the page zoom.
    if (auto* view = preview->findChild<QGraphicsView*>()) view->viewport()->installEventFilter(this);

    connect(first, &QAction::triggered, this, [this] { GoToPage(1); });
    connect(prior, &QAction::triggered, this, [this] { GoToPage(CurrentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { GoToPage(CurrentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] { GoToPage(PageCount()); });
    connect(zoom, &QAction::triggered, this, [this] { SetWholePage(); });
    connect(printBtn, &QAction::triggered, this, [this] {
        if (PrintAll) PrintAll();
    });
    connect(close, &QAction::triggered, this, &QDialog::reject);

    auto* statusBar = new QStatusBar(this);
    panel0 = new QLabel(statusBar);
    panel0->setMinimumWidth(400);
    panel1 = new QLabel(statusBar);
    panel1->setMinimumWidth(120);
    statusBar->addWidget(panel0, 1);
    statusBar->addWidget(panel1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(preview, 1);
    layout->addWidget(statusBar);
    ShowHint(QString());
}

QAction* TfrmPrintPreview::Action(const char* name, const QString& text, const QString& hint,
                                  const QIcon& icon) {
    auto* action = new QAction(icon, text, this);
    action->setObjectName(QLatin1String(name));
    SetHint(action, hint);
    return action;
}

void TfrmPrintPreview::Rebuild() {
    UpdatePrintHint();
    preview->updatePreview();
    GoToPage(1);
    UpdatePagePanel();
}

int TfrmPrintPreview::CurrentPage() const { return preview->currentPage(); }

int TfrmPrintPreview::PageCount() const { return preview->pageCount(); }

void TfrmPrintPreview::GoToPage(int page) {
    if (PageCount() < 1) return;
    preview->setCurrentPage(std::clamp(page, 1, PageCount()));
    UpdatePagePanel();
}

bool TfrmPrintPreview::WholePage() const { return preview->zoomMode() == QPrintPreviewWidget::FitInView; }

double TfrmPrintPreview::ZoomPercent() const { return preview->zoomFactor() * 100.0; }

void TfrmPrintPreview::SetZoomPercent(double percent) {
    preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    preview->setZoomFactor(percent / 100.0);
}

void TfrmPrintPreview::SetWholePage() { preview->fitInView(); }

void TfrmPrintPreview::SetPageWidth() { preview->fitToWidth(); }

double TfrmPrintPreview::ZoomAfterClick(Qt::MouseButton button, bool wholePage, double percent) {
    if (button != Qt::LeftButton) return std::max(25.0, percent / 2);
    if (wholePage) return 100.0;
    return std::min(400.0, percent * 2);
}

void TfrmPrintPreview::ClickZoom(Qt::MouseButton button) {
    SetZoomPercent(ZoomAfterClick(button, WholePage(), ZoomPercent()));
}

QString TfrmPrintPreview::StatusText(int panel) const { return panel == 0 ? panel0->text() : panel1->text(); }

void TfrmPrintPreview::ShowHint(const QString& longHint) { panel0->setText(QStringLiteral("  ") + longHint); }

void TfrmPrintPreview::UpdatePagePanel() {
    panel1->setText(QStringLiteral(" Stran %1 od %2").arg(CurrentPage()).arg(PageCount()));
}

void TfrmPrintPreview::UpdatePrintHint() {
    // A selected printer is named in the print button's hint.
    const QString name =
        printObject.outputFormat() == QPrinter::NativeFormat ? printObject.printerName() : QString();
    SetHint(printBtn, name.isEmpty() ? QStringLiteral("Natisni|Natisni dokument")
                                     : QStringLiteral("Natisni (%1)|Tiskaj dokument na %1").arg(name));
}

void TfrmPrintPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Rebuild();
}

bool TfrmPrintPreview::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QDialog::event(e);
}

bool TfrmPrintPreview::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress) {
        ClickZoom(static_cast<QMouseEvent*>(e)->button());
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
