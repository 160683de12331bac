#pragma once
#include <QDialog>
#include <QSpinBox>

#include "workbench/printsettings.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSettings;
class QTabWidget;

// A number field of the settings dialog: a spin box whose text may be anything up to its
// length limit while it is typed. When the field loses the focus (or the dialog is confirmed)
// the text is read: text that is not a number counts as the minimum, and a number is clamped
// to the range. A value put in by the program is clamped as well.
class TSpinField : public QSpinBox {
    Q_OBJECT
public:
    TSpinField(int minimum, int maximum, int maxLength, QWidget* parent = nullptr);

    // The value the current text stands for, by the rule above.
    int TextValue(const QString& text) const;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
    int valueFromText(const QString& text) const override;
};

// The settings dialog "Nastavitve" (menu "Orodja > Nastavitve okolja"): the two step intervals
// of run control, the printing options and the editor's font name. It only reads and writes
// the settings store and hands the intervals back; the preview applies the printing values,
// the code window the font at the next start, run control the intervals at its next run
// command.
//
// The simulation tab also holds the processor model (applied from the next load), the E clock's
// frequency and the speed factor of the chip model's fast run, stored as "Processor model"
// ("classic"/"chip"), "E clock" (Hz) and "Speed factor" (1, 10, 100 or 1000: the factor's
// divisor); run control reads them from the store (TRunControl::RestoreModelSettings).
//
// Its parts carry the names of the fields: "cbModel", "seFrekvenca", "cbFaktor", "sePocasno", "seHitro",
// "seLevo", "seDesno", "seZgoraj", "seSpodaj", "seGlava", "seNoga", "cbBlackWhite", "cbSyntax",
// "cbNumberedLines", "cbWrapLines", "cbImePisave", the tabs "PageControl1", the buttons "btnPotrdi",
// "btnPreklici", "btnPomoc".
class TfrmNastavitve : public QDialog {
    Q_OBJECT
public:
    // The creation step: with a printer installed the font list holds the fonts it can print
    // (the system's fonts); without one the list holds the system's fixed-pitch fonts, and the
    // printing tab stays for printing to a PDF file.
    explicit TfrmNastavitve(bool printerInstalled, QWidget* parent = nullptr);

    // Whether a printer is installed (QPrinterInfo); the creation step's question.
    static bool PrinterInstalled();
    // Whether printing to a PDF file works (the printing tab is kept for it).
    static bool PdfPrintingAvailable();

    // EditSettings: fills the fields (the intervals, the store's printing values and font
    // name, with the dialog's defaults for missing values; a value of another type ends the
    // reading and the fields keep what they had), shows the dialog modally and, when it is
    // confirmed, hands back the intervals and writes every value to the store. Returns whether
    // it was confirmed; a cancel changes nothing.
    bool EditSettings(QSettings& settings, int& slowInterval, int& fastInterval, const QString& editorFont);

    // The fields as they stand (the text of every number field read as on focus loss).
    TPrintOptions PrintOptions();
    QString FontName() const;
    bool PrintingTabVisible() const;

private:
    void CreateSimulationTab();
    void CreatePrintingTab();
    void CreateEditorTab(bool printerInstalled);
    void ShowPrintOptions(const TPrintOptions& options);
    void CommitFields();

    QTabWidget* PageControl1 = nullptr;
    QComboBox* cbModel = nullptr;
    TSpinField* seFrekvenca = nullptr;
    QComboBox* cbFaktor = nullptr;
    int printingTab = -1;
    TSpinField* sePocasno = nullptr;
    TSpinField* seHitro = nullptr;
    TSpinField* seLevo = nullptr;
    TSpinField* seDesno = nullptr;
    TSpinField* seZgoraj = nullptr;
    TSpinField* seSpodaj = nullptr;
    TSpinField* seGlava = nullptr;
    TSpinField* seNoga = nullptr;
    QCheckBox* cbBlackWhite = nullptr;
    QCheckBox* cbSyntax = nullptr;
    QCheckBox* cbNumberedLines = nullptr;
    QCheckBox* cbWrapLines = nullptr;
    QComboBox* cbImePisave = nullptr;
};
