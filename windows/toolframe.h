#pragma once
#include <QAbstractButton>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QHBoxLayout;
class TToolFrame;

// The frame of every tool window: a title bar with the close button only (no minimise or
// maximise; window managers that draw them anyway are kept from minimising the workbench by
// StandAlone below).
inline constexpr Qt::WindowFlags kToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Makes a window stand alone each time it is shown: it belongs to the workbench's group of
// windows without being a transient of the main window, so a window manager that minimises a
// transient's whole chain (openbox does) minimises only the tool window itself. The main window
// minimises and restores the tool windows on its own.
void StandAlone(QWidget& window);

// A small title-bar button of a tool window: the collapse button and the stay-on-top button.
// The toolkit cannot draw into the native title bar, so the buttons stand at the right end of a
// slim header strip at the top of the window, looking like title-bar buttons.
//
// The glyph names the button's picture: "v" collapse (a chevron that points up while the window
// is open and down while it is collapsed), "5" and "t" stay on top (a triangle over a bar).
// An Image, when set, is drawn instead. A press shows the button pressed while the mouse holds
// it; releasing over it fires the click, which pops up PopupMenu when one is set and otherwise
// emits OnClick(). The hint is shown only with ShowHint.
class TWidget : public QAbstractButton {
    Q_OBJECT
public:
    // The widget joins its form's header strip; Index is the number of widgets the form already
    // had, and the widget with the lower index stands nearer the right edge.
    explicit TWidget(TToolFrame& form);

    int Index() const { return index_; }

    bool Down() const { return down_; }
    void SetDown(bool down);
    // Space in pixels between the widget and its right-hand neighbour.
    int Gap() const { return gap_; }
    void SetGap(int gap);
    QChar Glyph() const { return glyph_; }
    void SetGlyph(QChar glyph);
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    void SetImage(const QPixmap& image);
    void SetOffset(int left, int top);
    void SetPopupMenu(QMenu* menu) { popup_ = menu; }

    static constexpr int kSize = 16; // face width and height in pixels

    QSize sizeHint() const override { return {kSize, kSize}; }

signals:
    // The click, when no PopupMenu is set.
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

private:
    void Clicked();
    void UpdateHint();
    void DrawGlyph(QPainter& painter, const QRectF& face) const;

    TToolFrame& form_;
    int index_;
    bool down_ = false;
    int gap_ = 2;
    QChar glyph_ = QLatin1Char('v');
    QString hint_;
    bool showHint_ = false;
    QPixmap image_;
    int offsetLeft_ = 0;
    int offsetTop_ = 0;
    QPointer<QMenu> popup_;
};

// The frame every small device window shares: a sizeable tool window, on top of the others by
// default, with the header strip that holds Widget1 (collapse) and Widget2 (stay on top).
// Closing the window only hides it. The window's content goes into Body().
//
// Collapse: a window of 30 pixels or less gets back SavedHeight; a taller one remembers its
// height in SavedHeight and shrinks to the header strip (Strip: 20 pixels; TitleOnly: its height
// less the body's, which leaves the strip alone). While the window is that low the body is
// hidden, so a window restored with a height of 20 starts collapsed.
class TToolFrame : public QWidget {
    Q_OBJECT
public:
    enum class Collapse { Strip, TitleOnly };

    TToolFrame(const QString& caption, Collapse collapse, QWidget* parent = nullptr);

    static constexpr int kStripHeight = 20;  // header strip, and the height of a collapsed window
    static constexpr int kCollapsedMax = 30; // heights up to this count as collapsed

    QWidget* Body() const { return body_; }
    TWidget* Widget1() const { return widget1_; }
    TWidget* Widget2() const { return widget2_; }

    bool StayOnTop() const;
    void SetStayOnTop(bool on);
    int SavedHeight() const { return savedHeight_; }
    void SetSavedHeight(int height) { savedHeight_ = height; }
    bool Collapsed() const { return height() <= kCollapsedMax; }

    // The two clicks, callable directly.
    void ToggleCollapse();
    void ToggleStayOnTop() { SetStayOnTop(!StayOnTop()); }

signals:
    // The window was shown or hidden (by its own close button, too).
    void visibilityChanged(bool visible);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class TWidget;
    // Lays the widgets out right to left by index, each Gap pixels left of its neighbour.
    void PlaceWidgets();

    Collapse collapse_;
    int savedHeight_ = 0;
    QWidget* strip_;
    QWidget* body_;
    QList<TWidget*> widgets_;
    TWidget* widget1_;
    TWidget* widget2_;
};
