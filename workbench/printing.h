#pragma once
#include <QObject>
#include <QString>

class QSettings;
class QWidget;
class TPrintObject;
class TfrmKoda;
class TfrmPrintPreview;

// Printing, the print preview and the HTML export of the main window. The print object is the
// code window's; each preview binds a text to it (the source, or the listing) with the store's
// printing values, and a print uses it as the last preview left it.
class TPrinting : public QObject {
    Q_OBJECT
public:
    // The preview window is created here, once, as a child of `dialogParent`.
    TPrinting(TfrmKoda& koda, QWidget* dialogParent);

    // ApplyPrintSettings: the store's printing values into the print object, with a preview's
    // own defaults for missing values (TPrintOptions::PreviewDefaults); a value of another type
    // ends the reading and leaves the rest of the print object as it was.
    static void ApplyPrintSettings(QSettings& settings, TPrintObject& printObject);

    // "Predogled tiskanja": the source with the scheme `tiskanje1`, titled with the code
    // window's caption.
    void PreviewDocument();
    // The listing window's print button: the listing text with the scheme `tisk`.
    void PreviewListing(const QString& listing);
    // "Natisni ...": the print dialog with the page range 1 to the page count; prints what the
    // last preview bound (the source, with the store's values, when nothing was bound yet).
    void PrintDocument();
    // The preview's print button: every page on the selected printer without a dialog; with no
    // printer to print on, the print dialog (which offers printing to a PDF file).
    void PrintAllPages();
    // "Izvoz > HTML datoteka": the source as an HTML page with the scheme `tisk`.
    void ExportHtml();

    TfrmPrintPreview& Preview() const { return *preview; }

private:
    void BindDocument();
    void ShowPreview();
    bool Print();

    TfrmKoda& koda;
    TfrmPrintPreview* preview;
};
