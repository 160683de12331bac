#pragma once
#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QString>
#include <QStyle>
#include <functional>
#include <utility>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// One row of a window's command table. The rows are read in order: a Menu row opens a menu on
// the menu bar, a SubMenu row a menu inside the menu open at that point (up to its EndSubMenu
// row), a ToolBar row a toolbar; Item, Place and Separator rows go into whatever was opened
// last. So the table reads top to bottom as the menus and the toolbar read left to right.
struct TCommand {
    enum class Kind { Menu, SubMenu, EndSubMenu, ToolBar, Item, Place, Separator };
    // Options of an item or a button: the groups of commands it is enabled and disabled with
    // (TCommandSet::Group; the low bits), and how it starts.
    enum Option : unsigned {
        NoGroup = 0,
        FileGroup = 1u << 0,
        GroupMask = 0xFFFFu,
        WindowShortcut = 1u << 16, // the shortcut works only while the window has the focus
        StartsDisabled = 1u << 17, // starts disabled although it has a handler
    };

    Kind kind = Kind::Item;
    QString name; // object name of the action, menu or toolbar
    QString caption;
    QKeySequence shortcut;
    // Where the shortcut works: the whole application unless a row narrows it (the clipboard
    // keys, which other windows keep for their own editors).
    Qt::ShortcutContext context = Qt::ApplicationShortcut;
    // What the command does. An Item without a handler is shown disabled: not available yet.
    std::function<void()> handler;
    QString hint;                                         // tool tip
    QStyle::StandardPixmap image = QStyle::SP_CustomBase; // toolbar image; SP_CustomBase: none
    // A checkable item: its check mark, read whenever its menu opens and after it ran.
    std::function<bool()> checked;
    bool enabled = true; // false: starts disabled although it has a handler
    unsigned group = NoGroup;
    QAction* action = nullptr; // Place: an action made and owned elsewhere
    // Items of other windows that run this command (the code window's context menu): they
    // trigger it, so they do nothing while it is disabled.
    QList<QAction*> triggeredBy;

    // --- rows
    static TCommand Menu(const QString& name, const QString& caption);
    static TCommand SubMenu(const QString& name, const QString& caption);
    static TCommand EndSubMenu();
    static TCommand ToolBar(const QString& name);
    static TCommand Item(const QString& name, const QString& caption, const QKeySequence& shortcut = {},
                         std::function<void()> handler = {}, unsigned options = 0);
    static TCommand Button(const QString& name, const QString& caption, const QString& hint,
                           QStyle::StandardPixmap image, std::function<void()> handler, unsigned options = 0);
    static TCommand Toggle(const QString& name, const QString& caption, std::function<void()> handler,
                           std::function<bool()> checked);
    static TCommand Place(QAction* action);
    static TCommand Separator();

    TCommand TriggeredBy(QAction* other) && {
        triggeredBy << other;
        return std::move(*this);
    }
};

// What a table built: its menus, toolbars and new actions by name, and the actions of each group.
struct TCommandSet {
    QMap<QString, QAction*> Actions;
    QMap<QString, QMenu*> Menus;
    QMap<QString, QToolBar*> ToolBars;
    QMap<unsigned, QList<QAction*>> Groups;

    QList<QAction*> Group(unsigned group) const { return Groups.value(group); }
};

// Builds the rows into the window's menu bar and toolbars. Menus, toolbars and new actions
// are the window's children and carry the rows' object names, so they can be found by name.
TCommandSet BuildCommands(QMainWindow& window, const std::vector<TCommand>& rows);
