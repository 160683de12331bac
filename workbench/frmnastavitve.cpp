#include "workbench/frmnastavitve.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/prompt.h"
#include "workbench/runcontrol.h"

// ============================================================================ TSpinField

TSpinField::TSpinField(int minimum, int maximum, int maxLength, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    lineEdit()->setMaxLength(maxLength);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

int TSpinField::TextValue(const QString& text) const {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::clamp(v, minimum(), maximum()) : minimum();
}

QValidator::State TSpinField::validate(QString& text, int&) const {
    if (text.size() > lineEdit()->maxLength()) return QValidator::Invalid;
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    // Anything else may be typed; it is read when the field loses the focus.
    return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinField::fixup(QString& text) const { text = QString::number(TextValue(text)); }

int TSpinField::valueFromText(const QString& text) const { return TextValue(text); }

// ============================================================================ TfrmNastavitve

namespace {

QString Key(const char* name) { return QLatin1String(name); }

TSpinField* Field(QWidget* parent, const char* name, int minimum, int maximum, int maxLength) {
    auto* field = new TSpinField(minimum, maximum, maxLength, parent);
    field->setObjectName(QLatin1String(name));
    field->setFixedWidth(70);
    return field;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TfrmNastavitve::TfrmNastavitve(bool printerInstalled, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNastavitve"));
    setWindowTitle(QStringLiteral("Nastavitve"));
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    CreateSimulationTab();
    CreatePrintingTab();
    CreateEditorTab(printerInstalled);
    // Without a printer there is nothing to lay out, unless the print dialog can still write a
    // PDF file (which the toolkit always can): the student at home sets margins and line numbers
    // for that.
    PageControl1->setTabVisible(printingTab, printerInstalled || PdfPrintingAvailable());

    auto* btnPotrdi = new QPushButton(QStringLiteral("&Potrdi"), this);
    btnPotrdi->setObjectName(QStringLiteral("btnPotrdi"));
    btnPotrdi->setDefault(true);
    auto* btnPreklici = new QPushButton(QStringLiteral("P&rekliči"), this);
    btnPreklici->setObjectName(QStringLiteral("btnPreklici"));
    auto* btnPomoc = new QPushButton(QStringLiteral("P&omoč"), this);
    btnPomoc->setObjectName(QStringLiteral("btnPomoc"));
    btnPomoc->setAutoDefault(false);
    btnPreklici->setAutoDefault(false);
    connect(btnPotrdi, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPreklici, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnPotrdi);
    buttons->addWidget(btnPreklici);
    buttons->addWidget(btnPomoc);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    sePocasno->setValue(400);
    seHitro->setValue(1);
    seFrekvenca->setValue(static_cast<int>(kEClockHz));
    ShowPrintOptions(TPrintOptions::DialogDefaults());
}

bool TfrmNastavitve::PrinterInstalled() { return !QPrinterInfo::availablePrinters().isEmpty(); }

bool TfrmNastavitve::PdfPrintingAvailable() {
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    return printer.outputFormat() == QPrinter::PdfFormat;
}

void TfrmNastavitve::CreateSimulationTab() {
    auto* tab = new QWidget(PageControl1);
    auto* group = new QGroupBox(QStringLiteral("Hitrost izvajanja enega koraka"), tab);
    sePocasno = Field(group, "sePocasno", 1, 9999, 4);
    seHitro = Field(group, "seHitro", 1, 999, 3);
    // The chip model's fast run keeps the chip's time times this factor.
    cbFaktor = new QComboBox(group);
    cbFaktor->setObjectName(QStringLiteral("cbFaktor"));
    for (uint32_t divisor : kSpeedDivisors)
        cbFaktor->addItem(divisor == 1 ? QStringLiteral("× 1") : QStringLiteral("× 1/%1").arg(divisor),
                          divisor);
    cbFaktor->setToolTip(
        QStringLiteral("V modelu MC6803 teče hitro izvajanje s hitrostjo čipa, pomnoženo s faktorjem"));
    auto* fast = new QHBoxLayout;
    fast->addWidget(seHitro);
    fast->addWidget(new QLabel(QStringLiteral("MC6803:"), group));
    fast->addWidget(cbFaktor);
    fast->addStretch(1);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Počasno izvajanje [ms]:"), sePocasno);
    form->addRow(QStringLiteral("Hitro izvajanje [ms]:"), fast);

    auto* processor = new QGroupBox(QStringLiteral("Model procesorja"), tab);
    cbModel = new QComboBox(processor);
    cbModel->setObjectName(QStringLiteral("cbModel"));
    for (TProcessorModel model : {TProcessorModel::Classic, TProcessorModel::Chip})
        cbModel->addItem(
            QString::fromUtf8(ModelTitle(model).data(), static_cast<int>(ModelTitle(model).size())),
            QString::fromLatin1(ModelName(model).data(), static_cast<int>(ModelName(model).size())));
    cbModel->setToolTip(QStringLiteral("Velja od naslednjega nalaganja programa"));
    seFrekvenca = Field(processor, "seFrekvenca", 100000, 4000000, 7);
    // Seven digits do not fit the width of the other fields.
    seFrekvenca->setFixedWidth(seFrekvenca->fontMetrics().horizontalAdvance(QStringLiteral("88888888")) + 30);
    auto* processorForm = new QFormLayout(processor);
    processorForm->addRow(QStringLiteral("Model:"), cbModel);
    processorForm->addRow(QStringLiteral("Frekvenca ure E [Hz]:"), seFrekvenca);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(group);
    layout->addWidget(processor);
    layout->addStretch(1);
    PageControl1->addTab(tab, QStringLiteral("Simulacija"));
}

void TfrmNastavitve::CreatePrintingTab() {
    auto* tab = new QWidget(PageControl1);
    auto* margins = new QGroupBox(QStringLiteral("Robovi"), tab);
    seLevo = Field(margins, "seLevo", 10, 99, 2);
    seDesno = Field(margins, "seDesno", 10, 99, 2);
    seZgoraj = Field(margins, "seZgoraj", 20, 99, 2);
    seSpodaj = Field(margins, "seSpodaj", 25, 99, 2);
    auto* marginForm = new QFormLayout(margins);
    marginForm->addRow(QStringLiteral("Levo [mm]:"), seLevo);
    marginForm->addRow(QStringLiteral("Desno [mm]:"), seDesno);
    marginForm->addRow(QStringLiteral("Zgoraj [mm]:"), seZgoraj);
    marginForm->addRow(QStringLiteral("Spodaj [mm]:"), seSpodaj);

    auto* headerFooter = new QGroupBox(QStringLiteral("Glava/noga"), tab);
    seGlava = Field(headerFooter, "seGlava", 19, 99, 2);
    seNoga = Field(headerFooter, "seNoga", 24, 99, 2);
    auto* hfForm = new QFormLayout(headerFooter);
    hfForm->addRow(QStringLiteral("Zgoraj [mm]:"), seGlava);
    hfForm->addRow(QStringLiteral("Spodaj [mm]:"), seNoga);

    auto* print = new QGroupBox(QStringLiteral("Natisni ..."), tab);
    cbBlackWhite = Check(print, "cbBlackWhite", QStringLiteral("Samo črnobelo"));
    cbSyntax = Check(print, "cbSyntax", QStringLiteral("Označi sintakso"));
    cbNumberedLines = Check(print, "cbNumberedLines", QStringLiteral("Oštevilči vrstice"));
    cbWrapLines = Check(print, "cbWrapLines", QStringLiteral("Dolge vrstice v novo vrstico"));
    auto* printLayout = new QVBoxLayout(print);
    for (QCheckBox* box : {cbBlackWhite, cbSyntax, cbNumberedLines, cbWrapLines})
        printLayout->addWidget(box);

    auto* right = new QVBoxLayout;
    right->addWidget(headerFooter);
    right->addWidget(print);
    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(margins, 0, Qt::AlignTop);
    layout->addLayout(right);
    printingTab = PageControl1->addTab(tab, QStringLiteral("Tiskanje"));
}

void TfrmNastavitve::CreateEditorTab(bool printerInstalled) {
    auto* tab = new QWidget(PageControl1);
    auto* group = new QGroupBox(QStringLiteral("Pisava"), tab);
    cbImePisave = new QComboBox(group);
    cbImePisave->setObjectName(QStringLiteral("cbImePisave"));
    cbImePisave->setEditable(true);
    cbImePisave->setInsertPolicy(QComboBox::NoInsert);
    cbImePisave->setMinimumWidth(220);
    // The printer prints with the system's fonts; without a printer only the fixed-pitch ones,
    // which suit the source, are offered. Any other name may be typed.
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (!printerInstalled && !QFontDatabase::isFixedPitch(family)) continue;
        // A family offered by several foundries carries its foundry ("C059 [UKWN]"); the name
        // that selects the font is the family's own.
        QString name = family;
        name.remove(QRegularExpression(QStringLiteral("\\s*\\[[^\\]]*\\]$")));
        families << name;
    }
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    cbImePisave->addItems(families);

    auto* size = new QComboBox(group);
    size->setObjectName(QStringLiteral("cbVelikost"));
    size->setEnabled(false);
    auto* sizeLabel = new QLabel(QStringLiteral("Velikost:"), group);
    sizeLabel->setEnabled(false);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Ime:"), cbImePisave);
    form->addRow(sizeLabel, size);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(group);
    layout->addStretch(1);
    PageControl1->addTab(tab, QStringLiteral("Editor"));
}

void TfrmNastavitve::ShowPrintOptions(const TPrintOptions& o) {
    seLevo->setValue(o.Left);
    seDesno->setValue(o.Right);
    seZgoraj->setValue(o.Top);
    seSpodaj->setValue(o.Bottom);
    seGlava->setValue(o.Header);
    seNoga->setValue(o.Footer);
    cbBlackWhite->setChecked(o.BlackWhite);
    cbSyntax->setChecked(o.Syntax);
    cbNumberedLines->setChecked(o.NumberedLines);
    cbWrapLines->setChecked(o.WrapLines);
}

void TfrmNastavitve::CommitFields() {
    for (TSpinField* f :
         {sePocasno, seHitro, seFrekvenca, seLevo, seDesno, seZgoraj, seSpodaj, seGlava, seNoga})
        f->interpretText();
}

TPrintOptions TfrmNastavitve::PrintOptions() {
    CommitFields();
    TPrintOptions o;
    o.Left = seLevo->value();
    o.Right = seDesno->value();
    o.Top = seZgoraj->value();
    o.Bottom = seSpodaj->value();
    o.Header = seGlava->value();
    o.Footer = seNoga->value();
    o.BlackWhite = cbBlackWhite->isChecked();
    o.Syntax = cbSyntax->isChecked();
    o.NumberedLines = cbNumberedLines->isChecked();
    o.WrapLines = cbWrapLines->isChecked();
    return o;
}

QString TfrmNastavitve::FontName() const { return cbImePisave->currentText(); }

bool TfrmNastavitve::PrintingTabVisible() const { return PageControl1->isTabVisible(printingTab); }

bool TfrmNastavitve::EditSettings(QSettings& settings, int& slowInterval, int& fastInterval,
                                  const QString& editorFont) {
    sePocasno->setValue(slowInterval);
    seHitro->setValue(fastInterval);
    const TModelSettings model = ReadModelSettings(settings);
    cbModel->setCurrentIndex(model.Model == TProcessorModel::Chip ? 1 : 0);
    seFrekvenca->setValue(static_cast<int>(model.EHz));
    cbFaktor->setCurrentIndex(std::max(0, cbFaktor->findData(model.Divisor)));
    // The printing values, then the font name; a value of another type ends the reading and
    // the fields from there on keep what they had.
    TPrintOptions options = PrintOptions();
    const bool complete = ReadPrintOptions(settings, TPrintOptions::DialogDefaults(), options);
    ShowPrintOptions(options);
    if (complete) {
        QString font;
        switch (ReadStoreText(settings, Key("code/editor/Font name"), font).state) {
        case TStoreValue::Present:
            cbImePisave->setEditText(font);
            break;
        case TStoreValue::Missing:
            cbImePisave->setEditText(editorFont);
            break;
        case TStoreValue::Wrong:
            break;
        }
    }

    if (!Prompt().ExecDialog(*this)) return false;

    // Every value is written on every confirmation, changed or not.
    const TPrintOptions confirmed = PrintOptions();
    slowInterval = sePocasno->value();
    fastInterval = seHitro->value();
    settings.setValue(Key("Slow simulation"), slowInterval);
    settings.setValue(Key("Fast simulation"), fastInterval);
    settings.setValue(Key("Processor model"), cbModel->currentData().toString());
    settings.setValue(Key("E clock"), seFrekvenca->value());
    settings.setValue(Key("Speed factor"), cbFaktor->currentData().toUInt());
    WritePrintOptions(settings, confirmed);
    settings.setValue(Key("code/editor/Font name"), FontName());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        Prompt().ShowError(QStringLiteral("Nastavitve"),
                           QStringLiteral("Nastavitev ni bilo mogoče shraniti v %1.")
                               .arg(QDir::toNativeSeparators(settings.fileName())));
    return true;
}
