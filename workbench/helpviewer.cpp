#include "workbench/helpviewer.h"

#include <QAction>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "windows/prompt.h"

THelpViewer::THelpViewer(const QString& dir, QWidget* parent) : QWidget(parent, Qt::Window), programDir(dir) {
    setObjectName(QStringLiteral("frmPomoc"));
    setWindowTitle(QStringLiteral("Pomoč"));
    resize(820, 700);

    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("Browser"));
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);

    auto* toolBar = new QToolBar(this);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto add = [&](const char* name, const QString& text, QStyle::StandardPixmap icon) {
        QAction* a = toolBar->addAction(style()->standardIcon(icon), text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QAction* back = add("BackBtn", QStringLiteral("Nazaj"), QStyle::SP_ArrowBack);
    QAction* forward = add("ForwardBtn", QStringLiteral("Naprej"), QStyle::SP_ArrowForward);
    toolBar->addSeparator();
    QAction* manual = add("ManualBtn", QStringLiteral("Kazalo"), QStyle::SP_FileDialogInfoView);
    QAction* commands =
        add("CommandsBtn", QStringLiteral("Seznam ukazov"), QStyle::SP_FileDialogDetailedView);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser, &QTextBrowser::forward);
    connect(browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(manual, &QAction::triggered, this,
            [this] { ShowPage(programDir + QStringLiteral("/help/manual.htm")); });
    connect(commands, &QAction::triggered, this,
            [this] { ShowPage(programDir + QStringLiteral("/help/commands.htm")); });
    connect(browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Pomoč") : QStringLiteral("Pomoč – ") + title);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(browser, 1);
}

void THelpViewer::ShowPage(const QString& path) {
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(hash < 0 ? path : path.left(hash));
    if (hash >= 0) url.setFragment(path.mid(hash + 1));
    browser->setSource(url);
    ShowAboveTools(*this);
}

QUrl THelpViewer::Page() const { return browser->source(); }
