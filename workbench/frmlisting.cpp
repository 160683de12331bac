#include "workbench/frmlisting.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>
#include <cerrno>

#include "base/encoding.h"
#include "editor/asmlexer.h"
#include "windows/prompt.h"
#include "workbench/documentfile.h"

TfrmListing::TfrmListing(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmListing"));
    setWindowTitle(QStringLiteral("Listing"));
    resize(696, 480);
    setWindowModality(Qt::ApplicationModal);

    toolBar = new QToolBar(this);
    toolBar->setIconSize(QSize(16, 16));
    PrintBtn = toolBar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                  QStringLiteral("Natisni"));
    PrintBtn->setObjectName(QStringLiteral("PrintBtn"));
    PrintBtn->setToolTip(QStringLiteral("Natisni"));
    PrintBtn->setStatusTip(QStringLiteral("Predogled in tiskanje listinga"));
    connect(PrintBtn, &QAction::triggered, this, &TfrmListing::printRequested);
    CloseBtn =
        toolBar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Zapri"));
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setToolTip(QStringLiteral("Zapri"));
    CloseBtn->setStatusTip(QStringLiteral("Zapri predogled tiskanja"));
    connect(CloseBtn, &QAction::triggered, this, &QWidget::close);

    txtListing = new QsciScintilla(this);
    txtListing->setObjectName(QStringLiteral("txtListing"));
    txtListing->setUtf8(true);
    lexer = new TAsmLexer(TAsmLexer::Screen, this);
    lexer->ListingMode = true;
    txtListing->setLexer(lexer);
    txtListing->setPaper(QColor(0, 0, 0x80));
    txtListing->setCaretForegroundColor(Qt::white);
    txtListing->setSelectionBackgroundColor(QColor(0xFF, 0xFF, 0x00));
    txtListing->setSelectionForegroundColor(Qt::black);
    txtListing->setMarginWidth(0, 0);
    txtListing->setMarginWidth(1, 0);
    // Escape closes the window, as in any modal window; the editor would swallow the key.
    txtListing->installEventFilter(this);

    statusBar = new QStatusBar(this);
    panel0 = new QLabel(statusBar);
    panel0->setFixedWidth(400);
    auto* panel1 = new QLabel(statusBar);
    panel1->setFixedWidth(100);
    statusBar->addWidget(panel0);
    statusBar->addWidget(panel1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(txtListing, 1);
    layout->addWidget(statusBar);
}

bool TfrmListing::event(QEvent* e) {
    // The status panel shows the current hint of the window's controls.
    if (e->type() == QEvent::StatusTip) {
        panel0->setText(QStringLiteral("  ") + static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QWidget::event(e);
}

bool TfrmListing::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtListing && (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            if (e->type() == QEvent::KeyPress) close();
            e->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TfrmListing::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TfrmListing::LoadListing(const QString& path, QString& error, const QString& whyNone) {
    if (path.isEmpty()) {
        error = whyNone.isEmpty() ? QStringLiteral("Listing se ne zapisuje.") : whyNone;
        return false;
    }
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Datoteke z listingom ni mogoče odpreti: %1 (%2)")
                    .arg(QDir::toNativeSeparators(path), TDocumentFile::FileErrorReason(file, errno));
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::string utf8 = Cp1250ToUtf8(std::string_view(bytes.constData(), size_t(bytes.size())));
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtListing->setText(text);
    txtListing->setModified(false);
    return true;
}

bool TfrmListing::ShowListing(const QString& path, const QString& whyNone) {
    QString error;
    if (!LoadListing(path, error, whyNone)) {
        Prompt().ShowError(QStringLiteral("Orlek"), error);
        return false;
    }
    QCoreApplication::processEvents();
    if (!property("placed").toBool()) {
        // First showing: centred on the screen.
        const QWidget* owner = parentWidget() ? parentWidget() : this;
        if (const QScreen* screen = owner->screen())
            move(screen->availableGeometry().center() - rect().center());
        setProperty("placed", true);
    }
    ShowAboveTools(*this);
    return true;
}

QString TfrmListing::Text() const { return txtListing->text(); }

void TfrmListing::SetKeywords(const QStringList& keywords) {
    lexer->SetKeywords(keywords);
    txtListing->recolor();
}

void TfrmListing::SetEditorFont(const QString& family) {
    lexer->SetFontFamily(family);
    txtListing->recolor();
}
