#include "workbench/windowlist.h"

#include <QSettings>
#include <algorithm>

#include "workbench/windowlayout.h"
#include <optional>
#include <utility>

namespace {

std::optional<int> ReadInt(QSettings& s, const QString& name) {
    const QVariant v = s.value(name);
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!ok) return std::nullopt; // a damaged value counts as missing
    return value;
}

std::optional<bool> ReadBool(QSettings& s, const QString& name) {
    const QVariant v = s.value(name);
    if (!v.isValid()) return std::nullopt;
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("1") || text == QLatin1String("true")) return true;
    if (text == QLatin1String("0") || text == QLatin1String("false")) return false;
    return std::nullopt;
}

} // namespace

const QStringList& TWindowList::StoreOrder() {
    static const QStringList order = {"code", "memory", "port1", "port2", "sci", "trace", "timer"};
    return order;
}

const QStringList& TWindowList::ExtraKeys() {
    static const QStringList keys = {"symbols",    "watches",   "board",  "diagram",
                                     "interrupts", "callstack", "profile"};
    return keys;
}

const QStringList& TWindowList::LayoutOrder() {
    // The two windows shown at the first start come first; the device windows next, the
    // inspection windows last.
    static const QStringList order = {"code",  "memory",  "port1",      "port2",     "sci",
                                      "timer", "trace",   "symbols",    "watches",   "log",
                                      "board", "diagram", "interrupts", "callstack", "profile"};
    return order;
}

TToolWindow& TWindowList::Add(TToolWindow window) {
    windows.append(std::move(window));
    return windows.last();
}

TToolWindow* TWindowList::Find(const QString& key) {
    for (TToolWindow& w : windows)
        if (w.key == key) return &w;
    return nullptr;
}

void TWindowList::Toggle(const QString& key) {
    TToolWindow* w = Find(key);
    if (!w || !w->window) return;
    if (IsVisible(key)) {
        w->window->hide();
    } else {
        // A window minimised on its own comes back as it was.
        if (w->window->isMinimized()) w->window->showNormal();
        else w->window->show();
        w->window->raise();
        w->window->activateWindow();
    }
}

bool TWindowList::IsVisible(const QString& key) const {
    for (const TToolWindow& w : windows)
        if (w.key == key) return w.window && w.window->isVisible() && !w.window->isMinimized();
    return false;
}

void TWindowList::RestorePlacement(QSettings& s, TToolWindow& w, const TScreens& screens) {
    QWidget* win = w.window;
    if (!win) return;
    s.beginGroup(w.key);
    const bool saved = !s.childKeys().isEmpty();
    s.endGroup();
    if (!saved && screens.defaults.contains(w.key)) {
        Place(w.key, screens.defaults.value(w.key), screens.frame);
        return;
    }
    const QRect& desktop = screens.desktop;
    s.beginGroup(w.key);
    QRect g(win->pos(), win->size());
    bool complete = false;
    // Values in the order the key lists them; the first missing one ends the reading.
    do {
        if (w.layout != TToolWindow::Layout::Code) {
            const auto top = ReadBool(s, QStringLiteral("always on top"));
            if (!top) break;
            if (w.SetStaysOnTop) w.SetStaysOnTop(*top);
        }
        const auto t = ReadInt(s, QStringLiteral("t"));
        if (!t) break;
        // A title bar above the desktop or below it cannot be grabbed.
        g.moveTop(*t > desktop.bottom() || *t < desktop.top() ? DefaultTop : *t);
        const auto l = ReadInt(s, QStringLiteral("l"));
        if (!l) break;
        // A window saved on a wider screen (or far off its left edge) would be out of reach.
        g.moveLeft(*l > desktop.right() || *l + g.width() < desktop.left() + 20 ? OffScreenLeft : *l);
        const bool widthFirst = w.layout == TToolWindow::Layout::WidthFirst;
        const auto first = ReadInt(s, widthFirst ? QStringLiteral("w") : QStringLiteral("h"));
        if (!first) break;
        if (widthFirst) g.setWidth(*first);
        else g.setHeight(*first);
        const auto second = ReadInt(s, widthFirst ? QStringLiteral("h") : QStringLiteral("w"));
        if (!second) break;
        if (widthFirst) g.setHeight(*second);
        else g.setWidth(*second);
        if (w.layout != TToolWindow::Layout::Code) {
            const auto hb = ReadInt(s, QStringLiteral("hb"));
            if (!hb) break;
            if (w.SetSavedHeight) w.SetSavedHeight(*hb);
        }
        complete = true;
    } while (false);
    s.endGroup();
    if (!complete) {
        g.moveTop(DefaultTop);
        if (w.layout == TToolWindow::Layout::Code) g.moveLeft(DefaultCodeLeft);
    }
    // A damaged size value must not make the window vanish or outgrow the desktop.
    if (g.width() <= 0 || g.height() <= 0) g.setSize(win->size());
    g.setSize(g.size().boundedTo(QSize(std::max(desktop.width(), 100), std::max(desktop.height(), 20))));
    // The whole frame on one screen: a window saved on a larger screen, or left partly off it,
    // comes back where it can be seen and grabbed.
    QRect frame = g.marginsAdded(screens.frame);
    frame.moveTopLeft(g.topLeft());
    if (!screens.areas.isEmpty())
        frame = WindowLayout::KeepInside(frame, WindowLayout::ScreenOf(frame, screens.areas));
    Place(w.key, frame, screens.frame);
}

void TWindowList::Place(const QString& key, const QRect& frame, const QMargins& margins) {
    TToolWindow* w = Find(key);
    if (!w || !w->window) return;
    w->window->move(frame.topLeft());
    const QSize client = frame.size().shrunkBy(margins);
    if (client.width() > 0 && client.height() > 0) w->window->resize(client);
}

QHash<QString, QRect> TWindowList::Layout(const QStringList& keys, const QRect& area, int stripBottom,
                                          const QMargins& frame) const {
    QStringList placed;
    QList<WindowLayout::TWish> wishes;
    for (const QString& key : keys)
        for (const TToolWindow& w : windows)
            if (w.key == key && w.window) {
                placed << key;
                wishes.append({w.window->size().grownBy(frame), w.window->minimumSize().grownBy(frame)});
            }
    const QList<QRect> rects = WindowLayout::LayOut(area, stripBottom, wishes);
    QHash<QString, QRect> result;
    for (qsizetype i = 0; i < placed.size(); ++i)
        result.insert(placed[i], rects[i]);
    return result;
}

void TWindowList::Arrange(const QRect& area, int stripBottom, const QMargins& frame) {
    QStringList shown;
    for (const QString& key : LayoutOrder())
        if (IsVisible(key)) shown << key;
    const QHash<QString, QRect> rects = Layout(shown, area, stripBottom, frame);
    for (auto it = rects.begin(); it != rects.end(); ++it)
        Place(it.key(), it.value(), frame);
}

void TWindowList::RestorePlacements(QSettings& settings, const TScreens& screens) {
    for (const QStringList* keys : {&StoreOrder(), &ExtraKeys()})
        for (const QString& key : *keys)
            if (TToolWindow* w = Find(key)) RestorePlacement(settings, *w, screens);
    // Windows the store never names (the log) take their default place.
    for (TToolWindow& w : windows)
        if (!StoreOrder().contains(w.key) && !ExtraKeys().contains(w.key) && screens.defaults.contains(w.key))
            Place(w.key, screens.defaults.value(w.key), screens.frame);
}

bool TWindowList::RestoreVisibility(QSettings& settings) {
    for (const QString& key : ExtraKeys())
        if (TToolWindow* w = Find(key); w && w->window)
            w->window->setVisible(ReadBool(settings, key).value_or(false));
    for (const QString& key : StoreOrder()) {
        TToolWindow* w = Find(key);
        if (!w) continue;
        const auto shown = ReadBool(settings, key);
        if (!shown) {
            for (const char* k : {"code", "memory"})
                if (TToolWindow* d = Find(QLatin1String(k)); d && d->window) d->window->show();
            return false;
        }
        if (w->window) w->window->setVisible(*shown);
    }
    return true;
}

void TWindowList::Save(QSettings& s) const {
    QStringList keys = StoreOrder();
    keys += ExtraKeys();
    for (const QString& key : keys)
        for (const TToolWindow& w : windows)
            if (w.key == key && w.window) s.setValue(key, w.window->isVisible() ? 1 : 0);
    for (const QString& key : keys) {
        for (const TToolWindow& w : windows) {
            if (w.key != key || !w.window) continue;
            s.beginGroup(key);
            if (w.layout != TToolWindow::Layout::Code) {
                s.setValue(QStringLiteral("always on top"), (w.StaysOnTop && w.StaysOnTop()) ? 1 : 0);
                s.setValue(QStringLiteral("hb"), w.SavedHeight ? w.SavedHeight() : 0);
            }
            s.setValue(QStringLiteral("t"), w.window->pos().y());
            s.setValue(QStringLiteral("l"), w.window->pos().x());
            s.setValue(QStringLiteral("h"), w.window->height());
            s.setValue(QStringLiteral("w"), w.window->width());
            s.endGroup();
        }
    }
}
