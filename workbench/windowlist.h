#pragma once
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

class QSettings;

// One tool window as the main window persists and toggles it.
struct TToolWindow {
    QString key; // settings sub-key and visibility value name: "code", "memory", ...
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
};

// The main window's tool windows: what the "&Okna" items do (show or hide a window), and the
// placement and visibility of every window in the settings store. Windows join one entry at a
// time; the store is read and written in the fixed order of the known keys, whichever of them
// have joined.
class TWindowList {
public:
    // Keys in the order the store lists them.
    static const QStringList& StoreOrder();
    // Keys of windows the order above does not know (the symbol and watch windows). They are
    // read after it and on their own: a missing value leaves that window hidden at its default
    // place and ends nothing else.
    static const QStringList& ExtraKeys();
    static constexpr int DefaultTop = 115;
    static constexpr int DefaultCodeLeft = 5;
    static constexpr int OffScreenLeft = 10;

    TToolWindow& Add(TToolWindow window);
    TToolWindow* Find(const QString& key);
    const QList<TToolWindow>& Windows() const { return windows; }

    // The "&Okna" item: hides a visible window, shows (and raises) a hidden one.
    void Toggle(const QString& key);
    // Whether the window is shown now (the user may have closed it with its own button): the
    // item's check mark.
    bool IsVisible(const QString& key) const;

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
};
