// The settings dialog, the print object, printing to PDF, the print preview and the HTML export.
#include <QComboBox>
#include <QFontDatabase>
#include <QGraphicsView>
#include <QImage>
#include <QPrintDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <cmath>

#include "editor/printobject.h"
#include "gui_main_fixture.h"
#include "workbench/frmlisting.h"
#include "workbench/frmnastavitve.h"
#include "workbench/frmprintpreview.h"
#include "workbench/printing.h"
#include "workbench/printsettings.h"
#include "workbench/settingsstore.h"

namespace {

// What the store holds under a key, as text ("" when missing).
QString Stored(const QString& key) { return OpenSettingsStore()->value(key).toString(); }

TSpinField* Spin(QDialog& d, const char* name) { return d.findChild<TSpinField*>(QLatin1String(name)); }
QCheckBox* Box(QDialog& d, const char* name) { return d.findChild<QCheckBox*>(QLatin1String(name)); }

QString Lines(int count, const QString& prefix = QStringLiteral("        ldaa #$10 ; vrstica")) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << prefix + QString::number(i);
    return lines.join(QLatin1Char('\n'));
}

// Renders page `page` of a PDF file with pdftoppm; a null image when that is not possible.
QImage RenderPdf(const QString& pdf, int page, const QString& dir) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) return {};
    const QString base = dir + QStringLiteral("/page");
    QProcess::execute(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                 QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                 QString::number(page), QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".png"));
}

// Pages of a PDF file, by its page objects.
int PdfPages(const QString& pdf) {
    const QByteArray bytes = MainWindowTest::Bytes(pdf);
    return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") + bytes.count("/Type /Page/") +
               bytes.count("/Type /Page>"));
}

bool HasColour(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({std::abs(c.red() - c.green()), std::abs(c.green() - c.blue()),
                          std::abs(c.red() - c.blue())}) > 60)
                return true;
        }
    return false;
}

// Whether a band of the page (fractions of its height) holds ink.
bool HasInk(const QImage& image, double from, double to) {
    for (int y = int(from * image.height()); y < int(to * image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

} // namespace

// ============================================================================ settings dialog

TEST_F(MainWindowTest, SettingsWithAnEmptyStoreShowDefaultsAndConfirmWritesThem) {
    TfrmNastavitve dialog(true);
    auto settings = OpenSettingsStore();
    int slow = 400, fast = 1;
    QList<int> shown;
    QString font;
    prompt.OnDialog = [&](QDialog& d) {
        for (const char* name :
             {"sePocasno", "seHitro", "seLevo", "seDesno", "seZgoraj", "seSpodaj", "seGlava", "seNoga"})
            shown << Spin(d, name)->value();
        for (const char* name : {"cbBlackWhite", "cbSyntax", "cbNumberedLines", "cbWrapLines"})
            shown << int(Box(d, name)->isChecked());
        font = dialog.FontName();
        return true;
    };
    ASSERT_TRUE(dialog.EditSettings(*settings, slow, fast, QStringLiteral("Liberation Mono")));
    const QList<int> expected = {400, 1, 15, 15, 20, 25, 20, 24, 1, 1, 0, 1};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(font, QStringLiteral("Liberation Mono"));
    // Every value is written, the raised ones as shown.
    const QStringList keys = {"Slow simulation",
                              "Fast simulation",
                              "code/printing/Left",
                              "code/printing/Right",
                              "code/printing/Top",
                              "code/printing/Bottom",
                              "code/printing/Header",
                              "code/printing/Footer",
                              "code/printing/Black&white",
                              "code/printing/Syntax",
                              "code/printing/Numbered lines",
                              "code/printing/Wrap lines"};
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(Stored(keys[i]), QString::number(expected[i])) << keys[i].toStdString();
    EXPECT_EQ(Stored("code/editor/Font name"), QStringLiteral("Liberation Mono"));
}

TEST_F(MainWindowTest, SettingsCancelChangesNeitherStoreNorIntervals) {
    TfrmNastavitve dialog(true);
    auto settings = OpenSettingsStore();
    settings->setValue("code/printing/Left", 30);
    int slow = 250, fast = 7;
    prompt.OnDialog = [&](QDialog& d) {
        Spin(d, "seLevo")->setValue(50);
        Spin(d, "sePocasno")->setValue(900);
        return false;
    };
    EXPECT_FALSE(dialog.EditSettings(*settings, slow, fast, QStringLiteral("Courier New")));
    EXPECT_EQ(slow, 250);
    EXPECT_EQ(fast, 7);
    EXPECT_EQ(Stored("code/printing/Left"), QStringLiteral("30"));
    EXPECT_EQ(Stored("Slow simulation"), QString());
    EXPECT_EQ(Stored("code/editor/Font name"), QString());
}

TEST_F(MainWindowTest, SettingsFieldsReadTypedTextWhenTheyLoseTheFocus) {
    TfrmNastavitve dialog(true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    struct Case {
        const char* field;
        const char* typed;
        int value;
    } cases[] = {
        {"seHitro", "0", 1},    {"seHitro", "abc", 1}, {"seHitro", "1000", 100}, // 3 characters at most
        {"seLevo", "5", 10},    {"seLevo", "x", 10},   {"seSpodaj", "20", 25},   {"sePocasno", "12345", 1234},
        {"sePocasno", "-7", 1}, {"seNoga", "99", 99},
    };
    for (const Case& c : cases) {
        TSpinField* field = Spin(dialog, c.field);
        TSpinField* other = Spin(dialog, std::string(c.field) == "seLevo" ? "seDesno" : "seLevo");
        auto* edit = field->findChild<QLineEdit*>();
        field->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        other->setFocus(); // the focus leaves the field
        QCoreApplication::processEvents();
        EXPECT_EQ(field->value(), c.value) << c.field << " '" << c.typed << "'";
        EXPECT_EQ(field->text(), QString::number(c.value)) << c.field << " '" << c.typed << "'";
    }
}

TEST_F(MainWindowTest, SettingsValueOfAnotherTypeStopsTheReadingAndTheDialogStillOpens) {
    TfrmNastavitve dialog(true);
    auto settings = OpenSettingsStore();
    settings->setValue("code/printing/Left", 12);
    settings->setValue("code/printing/Right", "široko");
    settings->setValue("code/printing/Top", 40);
    settings->setValue("code/editor/Font name", "DejaVu Sans Mono");
    int slow = 400, fast = 1;
    QList<int> shown;
    QString font;
    prompt.OnDialog = [&](QDialog& d) {
        for (const char* name : {"seLevo", "seDesno", "seZgoraj"})
            shown << Spin(d, name)->value();
        font = dialog.FontName();
        return false;
    };
    dialog.EditSettings(*settings, slow, fast, QStringLiteral("Courier New"));
    EXPECT_EQ(prompt.Shown, QStringList{"frmNastavitve"});
    // Left was read; Right, Top and the font keep what the fields had.
    EXPECT_EQ(shown, (QList<int>{12, 15, 20}));
    EXPECT_NE(font, QStringLiteral("DejaVu Sans Mono"));
}

TEST_F(MainWindowTest, SettingsPrintingTabStaysAndFontListFollowsThePrinter) {
    QStringList lists[2];
    for (bool printer : {false, true}) {
        TfrmNastavitve dialog(printer);
        // Without a printer the tab stays for printing to a PDF file.
        EXPECT_TRUE(dialog.PrintingTabVisible());
        auto* list = dialog.findChild<QComboBox*>(QStringLiteral("cbImePisave"));
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->isEditable());
        QStringList& items = lists[printer];
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        QStringList sorted = items;
        sorted.sort(Qt::CaseInsensitive);
        EXPECT_EQ(items, sorted);
        EXPECT_FALSE(items.join(' ').contains('[')) << "a foundry in a family name";
    }
    // Without a printer the fixed-pitch fonts; with one, the proportional ones as well.
    EXPECT_FALSE(lists[0].isEmpty());
    for (const QString& family : lists[0]) {
        EXPECT_TRUE(QFontDatabase::isFixedPitch(family)) << family.toStdString();
        EXPECT_TRUE(lists[1].contains(family)) << family.toStdString();
    }
    EXPECT_GT(lists[1].size(), lists[0].size());
}

TEST_F(MainWindowTest, SettingsIntervalsWaitForTheNextRunCommandAndTheFontForTheNextStart) {
    TfrmMain& w = Create();
    const QString font = Koda().barve->FontFamily();
    w.Run().Load();
    w.Run().RunSlow();
    prompt.OnDialog = [&](QDialog& d) {
        Spin(d, "sePocasno")->setValue(120);
        Spin(d, "seHitro")->setValue(20);
        d.findChild<QComboBox*>(QStringLiteral("cbImePisave"))
            ->setEditText(QStringLiteral("DejaVu Sans Mono"));
        return true;
    };
    Action("mnuNastavitve")->trigger();
    EXPECT_EQ(w.Run().SlowInterval(), 120);
    EXPECT_EQ(w.Run().FastInterval(), 20);
    EXPECT_EQ(w.Run().Koracno->interval(), 400); // the run keeps its pace
    w.Run().RunFast();
    EXPECT_EQ(w.Run().Koracno->interval(), 20);
    w.Run().Stop();
    EXPECT_EQ(Koda().barve->FontFamily(), font);
    EXPECT_EQ(Stored("code/editor/Font name"), QStringLiteral("DejaVu Sans Mono"));
}

// ============================================================================ print object

TEST_F(MainWindowTest, ApplyPrintSettingsHasItsOwnDefaults) {
    struct Case {
        const char* what;
        std::function<void(QSettings&)> store;
        TPrintOptions expected;
    };
    TPrintOptions confirmed = TPrintOptions::DialogDefaults();
    confirmed.Bottom = 25;
    confirmed.Footer = 24;
    TPrintOptions stopped = TPrintOptions::PreviewDefaults();
    stopped.Left = 33;
    stopped.Right = 11; // left from before
    const Case cases[] = {
        {"empty store", [](QSettings&) {}, TPrintOptions::PreviewDefaults()},
        {"after the dialog's defaults were confirmed", [&](QSettings& s) { WritePrintOptions(s, confirmed); },
         confirmed},
        {"a value of another type",
         [](QSettings& s) {
             s.setValue("code/printing/Left", 33);
             s.setValue("code/printing/Right", "x");
             s.setValue("code/printing/Top", 50);
         },
         stopped},
    };
    for (const Case& c : cases) {
        TfrmMain::OpenSettings()->clear();
        auto settings = OpenSettingsStore();
        c.store(*settings);
        TPrintObject p;
        p.RightMargin = 11;
        TPrinting::ApplyPrintSettings(*settings, p);
        const TPrintOptions& e = c.expected;
        EXPECT_EQ(std::vector<double>({p.LeftMargin, p.RightMargin, p.TopMargin, p.BottomMargin,
                                       p.HeaderMargin, p.FooterMargin}),
                  std::vector<double>({double(e.Left), double(e.Right), double(e.Top), double(e.Bottom),
                                       double(e.Header), double(e.Footer)}))
            << c.what;
        EXPECT_EQ(p.Colours, !e.BlackWhite) << c.what;
        EXPECT_EQ(p.Syntax, e.Syntax) << c.what;
        EXPECT_EQ(p.LineNumbers, e.NumberedLines) << c.what;
        EXPECT_EQ(p.Wrap, e.WrapLines) << c.what;
    }
}

TEST_F(MainWindowTest, PrintObjectSplitsTextIntoFullPages) {
    TPrintObject p;
    p.HeaderLines = {{"$TITLE$", QFont("Arial", 10)}};
    p.FooterLines = {{"$PAGENUM$/$PAGECOUNT$", QFont("Arial", 10)}};
    auto pages = [&p](const QString& text) {
        p.Bind(text, TAsmLexer::Print, QStringLiteral("Courier New"), {});
        return p.PageCount();
    };
    EXPECT_EQ(pages(QString()), 1); // an empty text still has a page with its header
    EXPECT_EQ(pages(Lines(10)), 1);
    // The most lines one page holds on A4 with 10-point text: about 60.
    int perPage = 1;
    while (perPage < 200 && pages(Lines(perPage + 1)) == 1)
        ++perPage;
    EXPECT_GE(perPage, 45);
    EXPECT_LE(perPage, 70);
    EXPECT_EQ(pages(Lines(perPage * 4)), 4);
    EXPECT_EQ(pages(Lines(perPage * 4 + 1)), 5);
    // A long line takes more rows when wrapped, and one when cut.
    const QString full = Lines(perPage - 1) + QStringLiteral("\n*") + QString(400, QLatin1Char('x'));
    p.Wrap = true;
    EXPECT_EQ(pages(full), 2);
    p.Wrap = false;
    EXPECT_EQ(pages(full), 1);
    // Bigger margins, more pages.
    p.TopMargin = 80;
    EXPECT_GT(pages(Lines(perPage * 4)), 4);
    // Margins that leave no room: an answer, not a hang.
    p.setPageSize(QPageSize(QPageSize::A6));
    p.TopMargin = 99;
    p.BottomMargin = 99;
    EXPECT_EQ(pages(Lines(5)), TPrintObject::NoRoom);
    QString error;
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(temp.filePath("none.pdf"));
    EXPECT_FALSE(p.Print(error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(MainWindowTest, PrintObjectFillsInTheHeaderAndFooterFields) {
    TPrintObject p;
    p.Title = QStringLiteral("/tmp/vaja.asm");
    const QString header = p.Expand(QStringLiteral("$TITLE$ | Tiskano: $DATE$., $TIME$"), 3, 7);
    EXPECT_TRUE(header.startsWith(QStringLiteral("/tmp/vaja.asm | Tiskano: "))) << header.toStdString();
    EXPECT_FALSE(header.contains(QLatin1Char('$')));
    EXPECT_EQ(p.Expand(QStringLiteral("$PAGENUM$/$PAGECOUNT$"), 3, 7), QStringLiteral("3/7"));
}

TEST_F(MainWindowTest, PrintToPdfWithColoursHeaderFooterAndPageRange) {
    Create();
    TPrintObject& p = Koda().PrintObject();
    p.setOutputFormat(QPrinter::PdfFormat);
    // The sample program many times: enough for several pages.
    QStringList source;
    for (int i = 0; i < 8; ++i)
        source << Koda().Lines();
    Koda().SetSource(source.join(QLatin1Char('\n')));
    QTemporaryDir renders;
    struct Case {
        const char* what;
        bool colours;
        bool syntax;
    } cases[] = {{"colours off", false, true}, {"colours on", true, true}, {"no marking", true, false}};
    for (const Case& c : cases) {
        TfrmMain::OpenSettings()->clear();
        auto settings = OpenSettingsStore();
        TPrintOptions o = TPrintOptions::DialogDefaults();
        o.BlackWhite = !c.colours;
        o.Syntax = c.syntax;
        o.NumberedLines = true;
        WritePrintOptions(*settings, o);
        settings->sync();
        prompt.OnDialog = [](QDialog&) { return false; }; // the preview binds, then closes
        Action("mnuPredogled")->trigger();
        const int pages = p.PageCount();
        ASSERT_GE(pages, 3) << c.what;
        const QString pdf = temp.filePath(QStringLiteral("%1.pdf").arg(c.what));
        p.setOutputFileName(pdf);
        p.setPrintRange(QPrinter::AllPages);
        QString error;
        ASSERT_TRUE(p.Print(error)) << error.toStdString();
        EXPECT_EQ(PdfPages(pdf), pages) << c.what;
        const QImage page = RenderPdf(pdf, 1, renders.path());
        if (page.isNull()) continue; // no pdftoppm
        EXPECT_EQ(HasColour(page), c.colours && c.syntax) << c.what;
        EXPECT_TRUE(HasInk(page, 0.0, 0.065)) << c.what << ": header";
        EXPECT_TRUE(HasInk(page, 0.92, 1.0)) << c.what << ": footer";
    }
    // A page range chosen in the print dialog.
    const QString range = temp.filePath(QStringLiteral("range.pdf"));
    prompt.OnDialog = [&](QDialog& d) {
        auto& dialog = static_cast<QPrintDialog&>(d);
        EXPECT_EQ(dialog.minPage(), 1);
        EXPECT_EQ(dialog.maxPage(), p.PageCount());
        EXPECT_EQ(p.fromPage(), 1);
        EXPECT_EQ(p.toPage(), p.PageCount());
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(range);
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 3);
        return true;
    };
    Action("mnuNatisni")->trigger();
    EXPECT_EQ(PdfPages(range), 2);
    EXPECT_TRUE(prompt.Errors.isEmpty()) << prompt.Errors.join(' ').toStdString();
}

// ============================================================================ preview

TEST_F(MainWindowTest, PreviewWithAnEmptyStoreBindsTheSourceWithThePrintDefaults) {
    Create();
    int pages = 0;
    QString status;
    prompt.OnDialog = [&](QDialog& d) {
        auto& preview = static_cast<TfrmPrintPreview&>(d);
        preview.show();
        pages = preview.PageCount();
        status = preview.StatusText(1);
        preview.hide();
        return false;
    };
    Action("mnuPredogled")->trigger();
    EXPECT_EQ(prompt.Shown, QStringList{"frmPrintPreview"});
    const TPrintObject& p = Koda().PrintObject();
    EXPECT_EQ(std::vector<double>(
                  {p.LeftMargin, p.RightMargin, p.TopMargin, p.BottomMargin, p.HeaderMargin, p.FooterMargin}),
              std::vector<double>({15, 15, 20, 20, 19, 24}));
    EXPECT_FALSE(p.Colours);
    EXPECT_FALSE(p.Syntax);
    EXPECT_FALSE(p.LineNumbers);
    EXPECT_TRUE(p.Wrap);
    EXPECT_EQ(p.Title, TfrmKoda::Untitled);
    EXPECT_EQ(p.BoundScheme(), TAsmLexer::PrintColour);
    EXPECT_EQ(p.BoundText(), Koda().Lines().join('\n'));
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(status, QStringLiteral(" Stran 1 od 1"));
}

TEST_F(MainWindowTest, PreviewToolbarPagesHintsAndClickZoom) {
    Create();
    Koda().SetSource(Lines(300));
    TfrmPrintPreview* preview = nullptr;
    prompt.OnDialog = [&](QDialog& d) {
        preview = static_cast<TfrmPrintPreview*>(&d);
        preview->show();
        return false;
    };
    Action("mnuPredogled")->trigger();
    ASSERT_NE(preview, nullptr);
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 4);
    auto act = [&](const char* name) {
        QAction* a = preview->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    };
    act("LastBtn")->trigger();
    EXPECT_EQ(preview->CurrentPage(), pages);
    act("PriorBtn")->trigger();
    EXPECT_EQ(preview->CurrentPage(), pages - 1);
    EXPECT_EQ(preview->StatusText(1), QStringLiteral(" Stran %1 od %2").arg(pages - 1).arg(pages));
    act("FirstBtn")->trigger();
    act("NextBtn")->trigger();
    EXPECT_EQ(preview->CurrentPage(), 2);
    // Short hint on the button, long hint in the status bar.
    const struct {
        const char* name;
        const char* tip;
        const char* status;
    } hints[] = {
        {"FirstBtn", "Začetek", "Pojdi na prvo stran"},      {"PriorBtn", "Nazaj", "Pojdi eno stran nazaj"},
        {"NextBtn", "Naprej", "Pojdi eno stran naprej"},     {"LastBtn", "Konec", "Pojdi na zadnjo stran"},
        {"ZoomBtn", "Povečava", "Povečaj/pomanjšaj pogled"}, {"PrintBtn", "Natisni", "Natisni dokument"},
        {"CloseBtn", "Zapri", "Zapri predogled tiskanja"}};
    for (const auto& h : hints) {
        EXPECT_EQ(act(h.name)->toolTip(), QString::fromUtf8(h.tip));
        EXPECT_EQ(act(h.name)->statusTip(), QString::fromUtf8(h.status));
    }
    act("NextBtn")->showStatusText(preview);
    EXPECT_EQ(preview->StatusText(0), QStringLiteral("  Pojdi eno stran naprej"));

    // Click zoom: the rule, and a real click on the page.
    const struct {
        Qt::MouseButton button;
        bool wholePage;
        double percent, expected;
    } zooms[] = {{Qt::LeftButton, true, 37, 100},   {Qt::LeftButton, false, 100, 200},
                 {Qt::LeftButton, false, 300, 400}, {Qt::RightButton, false, 100, 50},
                 {Qt::RightButton, true, 30, 25},   {Qt::MiddleButton, false, 400, 200}};
    for (const auto& z : zooms)
        EXPECT_EQ(TfrmPrintPreview::ZoomAfterClick(z.button, z.wholePage, z.percent), z.expected);
    preview->SetWholePage();
    QWidget* view = preview->findChild<QGraphicsView*>()->viewport();
    QTest::mouseClick(view, Qt::LeftButton, {}, view->rect().center());
    EXPECT_FALSE(preview->WholePage());
    EXPECT_NEAR(preview->ZoomPercent(), 100, 0.5);
    QTest::mouseClick(view, Qt::RightButton, {}, view->rect().center());
    EXPECT_NEAR(preview->ZoomPercent(), 50, 0.5);
    act("ZoomBtn")->trigger();
    EXPECT_TRUE(preview->WholePage());
    // Print: with nowhere chosen to print to yet, through the print dialog; then straight on.
    prompt.Shown.clear();
    const QString pdf = temp.filePath(QStringLiteral("preview.pdf"));
    prompt.OnDialog = [&](QDialog& d) {
        Koda().PrintObject().setOutputFormat(QPrinter::PdfFormat);
        Koda().PrintObject().setOutputFileName(pdf);
        return d.objectName() == QLatin1String("PrintDialog1");
    };
    act("PrintBtn")->trigger();
    EXPECT_EQ(prompt.Shown, QStringList{QStringLiteral("PrintDialog1")});
    EXPECT_EQ(PdfPages(pdf), pages);
    QFile::remove(pdf);
    act("PrintBtn")->trigger();
    EXPECT_EQ(prompt.Shown.size(), 1);
    EXPECT_EQ(PdfPages(pdf), pages);
    act("CloseBtn")->trigger();
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(MainWindowTest, PrintAfterAListingPreviewPrintsTheListing) {
    TfrmMain& w = Create();
    w.Run().Compile();
    auto* listing = Part<TfrmListing>("frmListing");
    QString error;
    ASSERT_TRUE(listing->LoadListing(QString::fromStdString(w.Session().ListingPath), error));
    prompt.OnDialog = [](QDialog&) { return false; };
    listing->findChild<QAction*>(QStringLiteral("PrintBtn"))->trigger();
    const TPrintObject& p = Koda().PrintObject();
    EXPECT_EQ(p.BoundScheme(), TAsmLexer::Print);
    EXPECT_TRUE(p.BoundText().startsWith(QStringLiteral("    1  "))) << p.BoundText().left(40).toStdString();
    const QString pdf = temp.filePath(QStringLiteral("listing.pdf"));
    prompt.OnDialog = [&](QDialog&) {
        Koda().PrintObject().setOutputFormat(QPrinter::PdfFormat);
        Koda().PrintObject().setOutputFileName(pdf);
        return true;
    };
    Action("mnuNatisni")->trigger();
    EXPECT_TRUE(p.BoundText().startsWith(QStringLiteral("    1  ")));
    EXPECT_EQ(PdfPages(pdf), 1);
}

// ============================================================================ HTML export

TEST_F(MainWindowTest, HtmlExportIsValidEscapedUtf8WithTheHtmlExtension) {
    Create();
    Koda().SetSource(QStringLiteral("* <b>&amp; \"narekovaji\" 'in' čšž ČŠŽ\n"
                                    "zacetek ldaa #'<' ; primerja z <\n"
                                    "        fcc \"a&b<c>\"\n"
                                    "\tldab\x01 #$10\n"));
    prompt.SaveFiles = {temp.filePath(QStringLiteral("izvoz"))};
    Action("mnuHtml")->trigger();
    const QString path = temp.filePath(QStringLiteral("izvoz.html"));
    ASSERT_TRUE(QFile::exists(path));
    const QString html = QString::fromUtf8(Bytes(path));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Untitled</title>")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("&lt;b&gt;&amp;amp; &quot;narekovaji&quot; &#39;in&#39; čšž ČŠŽ")));
    EXPECT_TRUE(html.contains(QStringLiteral("<span class=\"k\">ldaa</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("font-weight:bold")));
    EXPECT_TRUE(html.contains(QStringLiteral("font-style:italic")));
    EXPECT_TRUE(html.contains(QChar(0x2401))); // the control character, visible
    EXPECT_EQ(Stored("filesave initialdir"), temp.path() + QLatin1Char('/'));
    // A real parser agrees.
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!python.isEmpty()) {
        QProcess check;
        check.start(python, {QStringLiteral(ORLEK_SOURCE_DIR "/scripts/check-html"), path});
        ASSERT_TRUE(check.waitForFinished(60000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
    }
}

TEST_F(MainWindowTest, HtmlExportWriteFailureIsReported) {
    Create();
    prompt.SaveFiles = {temp.filePath(QStringLiteral("ni/take/mape.html"))};
    Action("mnuHtml")->trigger();
    ASSERT_EQ(prompt.Errors.size(), 1);
    EXPECT_TRUE(prompt.Errors[0].contains(QStringLiteral("mape.html"))) << prompt.Errors[0].toStdString();
    EXPECT_EQ(Stored("filesave initialdir"), QString());
}
