#pragma once
#include <QHash>
#include <QList>
#include <QMargins>
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
    std::function<bool()> StaysOnTop;
    std::function<void(bool)> SetStaysOnTop;
    std::function<int()> SavedHeight;
    std::function<void(int)> SetSavedHeight;
};

// The screens the windows are placed on.
struct TScreens {
    QRect desktop;      // all screens together
    QList<QRect> areas; // each screen's available area, the primary first
    QMargins frame;     // the margins of a window frame (title bar and border)
    // Frames of the windows that have no saved placement at all (the first start), by key.
    QHash<QString, QRect> defaults;
};

// The main window's tool windows: what the "&Okna" items do (show or hide a window), and the
// placement and visibility of every window in the settings store. Windows join one entry at a
// time; the store is read and written in the fixed order of the known keys, whichever of them
// have joined.
class TWindowList {
public:
    // Keys in the order the store lists them.
    static const QStringList& StoreOrder();
    // Keys of windows the order above does not know (the symbol, watch and board windows). They are
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

    // The order windows are laid out in, the code window first.
    static const QStringList& LayoutOrder();

    // Placement of every window from its key. A window whose saved left edge lies beyond the
    // desktop (all screens) comes back at left 10, one whose top lies below it at top 115; a
    // window that then still lies partly off its screen is moved onto it. A window without any
    // saved value takes its place from `screens.defaults`.
    void RestorePlacements(QSettings& settings, const TScreens& screens);
    // The frames LayOut gives the windows of `keys` (in that order) in `area` below the strip:
    // their present sizes as wishes, their minimum sizes as limits.
    QHash<QString, QRect> Layout(const QStringList& keys, const QRect& area, int stripBottom,
                                 const QMargins& frame) const;
    // Lays the shown windows out again ("Razporedi okna").
    void Arrange(const QRect& area, int stripBottom, const QMargins& frame);
    // Puts a window's frame at `frame` (a window of the list, by key).
    void Place(const QString& key, const QRect& frame, const QMargins& margins);
    // The visibility flags under the main key, in store order. Returns false when a value was
    // missing: then the code and address-space windows are shown and nothing after it is read.
    bool RestoreVisibility(QSettings& settings);
    // Writes the visibility flags and every window's placement.
    void Save(QSettings& settings) const;

private:
    void RestorePlacement(QSettings& settings, TToolWindow& w, const TScreens& screens);
    QList<TToolWindow> windows;
};
