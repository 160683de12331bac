#include "workbench/printing.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QSettings>

#include "editor/frmkoda.h"
#include "editor/htmlexport.h"
#include "editor/printobject.h"
#include "windows/prompt.h"
#include "workbench/documentfile.h"
#include "workbench/frmprintpreview.h"
#include "workbench/printsettings.h"
#include "workbench/settingsstore.h"

namespace {

const QString kPrintTitle = QStringLiteral("Tiskanje");
const QString kHtmlFilter = QStringLiteral("HTML datoteke (*.html);;Vse datoteke (*)");

TPrintOptions OptionsOf(const TPrintObject& p) {
    TPrintOptions o;
    o.Left = int(p.LeftMargin);
    o.Right = int(p.RightMargin);
    o.Top = int(p.TopMargin);
    o.Bottom = int(p.BottomMargin);
    o.Header = int(p.HeaderMargin);
    o.Footer = int(p.FooterMargin);
    o.BlackWhite = !p.Colours;
    o.Syntax = p.Syntax;
    o.NumberedLines = p.LineNumbers;
    o.WrapLines = p.Wrap;
    return o;
}

} // namespace

TPrinting::TPrinting(TfrmKoda& koda, QWidget* dialogParent)
    : QObject(dialogParent), koda(koda), preview(new TfrmPrintPreview(koda.PrintObject(), dialogParent)) {
    preview->PrintAll = [this] { PrintAllPages(); };
}

void TPrinting::ApplyPrintSettings(QSettings& settings, TPrintObject& p) {
    TPrintOptions o = OptionsOf(p);
    ReadPrintOptions(settings, TPrintOptions::PreviewDefaults(), o);
    p.LeftMargin = o.Left;
    p.RightMargin = o.Right;
    p.TopMargin = o.Top;
    p.BottomMargin = o.Bottom;
    p.HeaderMargin = o.Header;
    p.FooterMargin = o.Footer;
    p.Colours = !o.BlackWhite;
    p.Syntax = o.Syntax;
    p.LineNumbers = o.NumberedLines;
    p.Wrap = o.WrapLines;
}

void TPrinting::BindDocument() {
    TPrintObject& p = koda.PrintObject();
    ApplyPrintSettings(*OpenSettingsStore(), p);
    p.Title = koda.DocumentName();
    // The screen keeps its scheme: the print object holds its own copy of the text.
    p.Bind(koda.Lines().join(QLatin1Char('\n')), TAsmLexer::PrintColour, koda.barve->FontFamily(),
           koda.barve->Keywords());
}

void TPrinting::ShowPreview() { Prompt().ExecDialog(*preview); }

void TPrinting::PreviewDocument() {
    BindDocument();
    ShowPreview();
}

void TPrinting::PreviewListing(const QString& listing) {
    TPrintObject& p = koda.PrintObject();
    ApplyPrintSettings(*OpenSettingsStore(), p);
    QString text = listing;
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    p.Bind(text, TAsmLexer::Print, koda.barve->FontFamily(), koda.barve->Keywords(), true);
    ShowPreview();
}

bool TPrinting::Print() {
    QString error;
    if (koda.PrintObject().Print(error)) return true;
    Prompt().ShowError(kPrintTitle, error);
    return false;
}

void TPrinting::PrintDocument() {
    TPrintObject& p = koda.PrintObject();
    // Nothing bound yet (no preview since the start): the source as a preview would show it.
    if (!p.Bound()) BindDocument();
    const int pages = p.PageCount();
    if (pages < 1) {
        Prompt().ShowError(kPrintTitle,
                           QStringLiteral("Na stran te velikosti z izbranimi robovi ne gre niti "
                                          "ena vrstica. Zmanjšajte robove v nastavitvah tiskanja."));
        return;
    }
    QWidget* parent = preview->isVisible() ? static_cast<QWidget*>(preview) : QApplication::activeWindow();
    QPrintDialog dialog(&p, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setWindowTitle(QStringLiteral("Natisni"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, pages);
    p.setPrintRange(QPrinter::AllPages);
    p.setFromTo(1, pages);
    if (!Prompt().ExecDialog(dialog)) return;
    Print();
}

void TPrinting::PrintAllPages() {
    TPrintObject& p = koda.PrintObject();
    // Nowhere chosen to print to yet (no printer installed, no PDF file given): the dialog.
    const bool nowhere =
        p.outputFormat() == QPrinter::PdfFormat ? p.outputFileName().isEmpty() : p.printerName().isEmpty();
    if (nowhere) {
        PrintDocument();
        return;
    }
    p.setPrintRange(QPrinter::AllPages);
    Print();
}

void TPrinting::ExportHtml() {
    auto settings = OpenSettingsStore();
    const QString dir = settings->value(QStringLiteral("filesave initialdir")).toString();
    const QString name = QStringLiteral("Neimenovana");
    QString path = Prompt().ChooseSaveFile(QStringLiteral("Shrani kot"),
                                           dir.isEmpty() ? name : QDir(dir).filePath(name), kHtmlFilter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The default extension: the dialog asked about the name without it only.
        path += QStringLiteral(".html");
        if (QFileInfo::exists(path) &&
            !Prompt().AskYesNo(QStringLiteral("Shrani kot"),
                               QStringLiteral("Datoteka %1 že obstaja. Ali jo želite zamenjati?")
                                   .arg(QDir::toNativeSeparators(path))))
            return;
    }
    const QString html = ::ExportHtml(koda.Lines(), *koda.tisk);
    QString error;
    if (!TDocumentFile::Write(path, html.toUtf8(), error)) {
        Prompt().ShowError(QStringLiteral("Orlek"), error);
        return;
    }
    QString folder = QFileInfo(path).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    settings->setValue(QStringLiteral("filesave initialdir"), folder);
}
