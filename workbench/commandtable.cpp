#include "workbench/commandtable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

TCommand TCommand::Menu(const QString& name, const QString& caption) {
    TCommand c;
    c.kind = Kind::Menu;
    c.name = name;
    c.caption = caption;
    return c;
}

TCommand TCommand::SubMenu(const QString& name, const QString& caption) {
    TCommand c = Menu(name, caption);
    c.kind = Kind::SubMenu;
    return c;
}

TCommand TCommand::EndSubMenu() {
    TCommand c;
    c.kind = Kind::EndSubMenu;
    return c;
}

TCommand TCommand::ToolBar(const QString& name) {
    TCommand c;
    c.kind = Kind::ToolBar;
    c.name = name;
    return c;
}

TCommand TCommand::Item(const QString& name, const QString& caption, const QKeySequence& shortcut,
                        std::function<void()> handler, unsigned options) {
    TCommand c;
    c.name = name;
    c.caption = caption;
    c.shortcut = shortcut;
    c.handler = std::move(handler);
    c.group = options & GroupMask;
    if (options & WindowShortcut) c.context = Qt::WindowShortcut;
    if (options & StartsDisabled) c.enabled = false;
    return c;
}

TCommand TCommand::Button(const QString& name, const QString& caption, const QString& hint,
                          QStyle::StandardPixmap image, std::function<void()> handler, unsigned options) {
    TCommand c = Item(name, caption, {}, std::move(handler), options);
    c.hint = hint;
    c.image = image;
    return c;
}

TCommand TCommand::Toggle(const QString& name, const QString& caption, std::function<void()> handler,
                          std::function<bool()> checked) {
    TCommand c = Item(name, caption, {}, std::move(handler));
    c.checked = std::move(checked);
    return c;
}

TCommand TCommand::Place(QAction* action) {
    TCommand c;
    c.kind = Kind::Place;
    c.action = action;
    return c;
}

TCommand TCommand::Separator() {
    TCommand c;
    c.kind = Kind::Separator;
    return c;
}

namespace {

// Where the rows go while the table is read: the menu or the toolbar opened last.
class TBuilder {
public:
    explicit TBuilder(QMainWindow& window) : window(window) {}

    void Add(const TCommand& row);
    TCommandSet result;

private:
    QAction* MakeAction(const TCommand& row);
    void AddToGroups(QAction* action, unsigned groups);
    void Insert(QAction* action);
    void OpenToolBar(const QString& name);

    QMainWindow& window;
    QList<QMenu*> menus; // the open menu and the menus around it
    QToolBar* toolBar = nullptr;
};

void TBuilder::Add(const TCommand& row) {
    switch (row.kind) {
    case TCommand::Kind::Menu:
    case TCommand::Kind::SubMenu: {
        QMenu* menu = row.kind == TCommand::Kind::Menu || menus.isEmpty()
                          ? window.menuBar()->addMenu(row.caption)
                          : menus.last()->addMenu(row.caption);
        menu->setObjectName(row.name);
        if (row.kind == TCommand::Kind::Menu) menus.clear();
        menus << menu;
        toolBar = nullptr;
        result.Menus.insert(row.name, menu);
        AddToGroups(menu->menuAction(), row.group);
        break;
    }
    case TCommand::Kind::EndSubMenu:
        if (menus.size() > 1) menus.removeLast();
        break;
    case TCommand::Kind::ToolBar:
        OpenToolBar(row.name);
        break;
    case TCommand::Kind::Separator:
        if (toolBar) toolBar->addSeparator();
        else if (!menus.isEmpty()) menus.last()->addSeparator();
        break;
    case TCommand::Kind::Item:
    case TCommand::Kind::Place: {
        QAction* action = row.kind == TCommand::Kind::Place ? row.action : MakeAction(row);
        if (!action) break;
        // A placed action keeps its own shortcut; the table says where it works.
        if (!action->shortcut().isEmpty()) action->setShortcutContext(row.context);
        AddToGroups(action, row.group);
        for (QAction* other : row.triggeredBy)
            QObject::connect(other, &QAction::triggered, action, &QAction::trigger);
        Insert(action);
        break;
    }
    }
}

QAction* TBuilder::MakeAction(const TCommand& row) {
    auto* action = new QAction(row.caption, &window);
    action->setObjectName(row.name);
    result.Actions.insert(row.name, action);
    action->setShortcut(row.shortcut);
    if (!row.hint.isEmpty()) action->setToolTip(row.hint);
    if (row.image != QStyle::SP_CustomBase) action->setIcon(window.style()->standardIcon(row.image));
    action->setEnabled(row.handler && row.enabled);
    if (row.checked) {
        action->setCheckable(true);
        // The check mark shows the state the command left, whatever it was before.
        const std::function<bool()> checked = row.checked;
        QObject::connect(action, &QAction::triggered, &window, [action, handler = row.handler, checked] {
            handler();
            action->setChecked(checked());
        });
        QMenu* menu = menus.isEmpty() ? nullptr : menus.last();
        if (menu)
            QObject::connect(menu, &QMenu::aboutToShow, action,
                             [action, checked] { action->setChecked(checked()); });
    } else if (row.handler) {
        QObject::connect(action, &QAction::triggered, &window, row.handler);
    }
    return action;
}

void TBuilder::AddToGroups(QAction* action, unsigned groups) {
    for (unsigned bit = 1; bit != 0 && bit <= groups; bit <<= 1)
        if (groups & bit) result.Groups[bit] << action;
}

void TBuilder::Insert(QAction* action) {
    if (toolBar) toolBar->addAction(action);
    else if (!menus.isEmpty()) menus.last()->addAction(action);
}

void TBuilder::OpenToolBar(const QString& name) {
    // The workbench's toolbars: fixed, flat, with the captions beside small images.
    toolBar = new QToolBar(name, &window);
    toolBar->setObjectName(name);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->toggleViewAction()->setVisible(false);
    window.addToolBar(Qt::TopToolBarArea, toolBar);
    menus.clear();
    result.ToolBars.insert(name, toolBar);
}

} // namespace

TCommandSet BuildCommands(QMainWindow& window, const std::vector<TCommand>& rows) {
    TBuilder builder(window);
    for (const TCommand& row : rows)
        builder.Add(row);
    return builder.result;
}
