#pragma once
#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPrintPreviewWidget;
class QToolButton;
class TPrintObject;

// The print preview "Predogled tiskanja": a toolbar (first, previous, next and last page, zoom
// with its menu, print, close), the pages of the print object and a status bar whose first
// panel shows the hint of the control under the mouse and whose second the page shown.
//
// A click on the page zooms: the left button goes from the whole page to 100% and otherwise
// doubles the zoom up to 400%; any other button halves it, not below 25%.
//
// Parts by name: the actions "FirstBtn", "PriorBtn", "NextBtn", "LastBtn", "ZoomBtn",
// "PrintBtn", "CloseBtn", the zoom menu "ZoomMenu", the preview "Preview".
class TfrmPrintPreview : public QDialog {
    Q_OBJECT
public:
    TfrmPrintPreview(TPrintObject& printObject, QWidget* parent = nullptr);

    // The print button: prints every page without a dialog (set by the printing controller).
    std::function<void()> PrintAll;

    // Rebuilds the pages from the print object and goes to the first page (done on show).
    void Rebuild();
    int CurrentPage() const;
    int PageCount() const;
    void GoToPage(int page);
    bool WholePage() const;
    double ZoomPercent() const; // the zoom as shown, also when it follows the window
    void SetZoomPercent(double percent);
    void SetWholePage();
    void SetPageWidth();
    // The zoom after a click with `button` on the page.
    static double ZoomAfterClick(Qt::MouseButton button, bool wholePage, double percent);
    void ClickZoom(Qt::MouseButton button);
    QString StatusText(int panel) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* Action(const char* name, const QString& text, const QString& hint, const QIcon& icon);
    void ShowHint(const QString& longHint);
    void UpdatePagePanel();
    void UpdatePrintHint();

    TPrintObject& printObject;
    QPrintPreviewWidget* preview = nullptr;
    QAction* printBtn = nullptr;
    QToolButton* zoomButton = nullptr;
    QLabel* panel0 = nullptr;
    QLabel* panel1 = nullptr;
};
