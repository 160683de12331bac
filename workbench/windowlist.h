#pragma once
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QSettings;

// One tool window as the main window persists and toggles it.
struct TToolWindow {
    QString key;         // settings sub-key and visibility value name: "code", "memory", ...
    QString menuCaption; // its item in the "&Okna" menu
    QPointer<QWidget> window;
    // The order of the size values under the window's key: "code" and "memory" differ from
    // the device windows.
    enum class Layout { Code, WidthFirst, HeightFirst } layout = Layout::HeightFirst;
    // Stay-on-top state and the collapsed window's full height; unset for windows without a
    // frame of their own (the code window).
    std::function<bool()> onTop;
    std::function<void(bool)> setOnTop;
    std::function<int()> savedHeight;
    std::function<void(int)> setSavedHeight;
    QAction* action = nullptr; // filled in by the list
};

// The main window's tool windows: the "&Okna" menu items, and the placement and visibility of
// every window in the settings store. Windows join one entry at a time; the store is read and
// written in the fixed order of the known keys, whichever of them have joined.
class TWindowList {
public:
    // Keys in the order the store lists them, and in the order of the "&Okna" menu.
    static const QStringList& StoreOrder();
    static const QStringList& MenuOrder();
    static constexpr int DefaultTop = 115;
    static constexpr int DefaultCodeLeft = 5;
    static constexpr int OffScreenLeft = 10;

    explicit TWindowList(QMenu* menu) : menu(menu) {}

    // Adds a window and its menu item (placed by MenuOrder; unknown keys go last).
    TToolWindow& Add(TToolWindow window);
    TToolWindow* Find(const QString& key);
    const QList<TToolWindow>& Windows() const { return windows; }

    // The "&Okna" item: toggles the window.
    void Toggle(const QString& key);
    // Sets every item's check mark from its window's real visibility (menu about to show).
    void UpdateChecks();

    // Placement of every window from its key. A window whose saved left edge lies beyond
    // `desktop` (the whole desktop, all screens) comes back at left 10, one whose top lies
    // below it at top 115.
    void RestorePlacements(QSettings& settings, const QRect& desktop);
    // The visibility flags under the main key, in store order. Returns false when a value was
    // missing: then the code and address-space windows are shown and nothing after it is read.
    bool RestoreVisibility(QSettings& settings);
    // Writes the visibility flags and every window's placement.
    void Save(QSettings& settings) const;

private:
    void RestorePlacement(QSettings& settings, TToolWindow& w, const QRect& desktop);
    QList<TToolWindow> windows;
    QMenu* menu;
    QAction* extrasSeparator = nullptr;
};
