#pragma once
#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The workbench's own help viewer "Pomoč": the help pages in a text browser, for desktops
// without a program for HTML documents. Links between the help pages are followed inside the
// viewer; links to the web go to the desktop. Parts: "Browser", the actions "BackBtn",
// "ForwardBtn", "ManualBtn", "CommandsBtn".
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(const QString& programDir, QWidget* parent = nullptr);

    // Shows the page (a file, with an optional "#anchor") and brings the window up.
    void ShowPage(const QString& path);
    QUrl Page() const;
    QTextBrowser* Browser() const { return browser; }

private:
    QString programDir;
    QTextBrowser* browser = nullptr;
};
