#pragma once
#include <QWidget>

class QLabel;
class QStatusBar;
class QToolBar;
class TAsmLexer;
class QsciScintilla;

// The listing viewer: the listing file of the last assembly in a read-mostly editor with the
// source highlighter. Edits are possible but never saved. Its text is "txtListing", its print
// button "PrintBtn" (a print preview of the listing, printRequested) and its close button
// "CloseBtn".
class TfrmListing : public QWidget {
    Q_OBJECT
public:
    explicit TfrmListing(QWidget* parent = nullptr);

    // Loads the listing (8-bit Windows-1250 text). Returns false with a message in `error`
    // when the file cannot be read; an empty path means no listing is written at all, and
    // `whyNone` then says why.
    bool LoadListing(const QString& path, QString& error, const QString& whyNone = QString());
    // The "Listing" command: loads the listing and shows the window (centred on the screen the
    // first time). A listing that cannot be read is reported and the window stays closed.
    bool ShowListing(const QString& path, const QString& whyNone = QString());
    void SetKeywords(const QStringList& keywords);
    void SetEditorFont(const QString& family);
    QString Text() const;

signals:
    // The print button: preview (and print) the listing as it stands in the window.
    void printRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QsciScintilla* txtListing = nullptr;
    TAsmLexer* lexer = nullptr;
    QToolBar* toolBar = nullptr;
    QAction* PrintBtn = nullptr;
    QAction* CloseBtn = nullptr;
    QStatusBar* statusBar = nullptr;
    QLabel* panel0 = nullptr;
};
