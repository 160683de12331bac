#include "workbench/finddialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(Kind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    setObjectName(kind == Kind::Find ? QStringLiteral("FindDialog1") : QStringLiteral("ReplaceDialog1"));
    setWindowTitle(kind == Kind::Find ? QStringLiteral("Najdi") : QStringLiteral("Zamenjaj"));
    setModal(false);
    auto* grid = new QGridLayout;
    auto* findLabel = new QLabel(QStringLiteral("&Najdi:"), this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    findLabel->setBuddy(txtFind);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(txtFind, 0, 1);
    if (kind == Kind::Replace) {
        auto* replaceLabel = new QLabel(QStringLiteral("Zamenjaj &z:"), this);
        txtReplace = new QLineEdit(this);
        txtReplace->setObjectName(QStringLiteral("txtReplace"));
        replaceLabel->setBuddy(txtReplace);
        grid->addWidget(replaceLabel, 1, 0);
        grid->addWidget(txtReplace, 1, 1);
    }
    cbWholeWord = new QCheckBox(QStringLiteral("Samo &cele besede"), this);
    cbWholeWord->setObjectName(QStringLiteral("cbWholeWord"));
    cbMatchCase = new QCheckBox(QStringLiteral("&Razlikuj velike in male črke"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    auto* options = new QVBoxLayout;
    options->addWidget(cbWholeWord);
    options->addWidget(cbMatchCase);
    auto* row = new QHBoxLayout;
    row->addLayout(options);
    if (kind == Kind::Find) {
        auto* direction = new QGroupBox(QStringLiteral("Smer"), this);
        rbUp = new QRadioButton(QStringLiteral("&Gor"), direction);
        rbUp->setObjectName(QStringLiteral("rbUp"));
        rbDown = new QRadioButton(QStringLiteral("&Dol"), direction);
        rbDown->setObjectName(QStringLiteral("rbDown"));
        rbDown->setChecked(true);
        auto* d = new QHBoxLayout(direction);
        d->addWidget(rbUp);
        d->addWidget(rbDown);
        row->addWidget(direction);
    }
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(row);

    auto* buttons = new QVBoxLayout;
    btnFind = new QPushButton(QStringLiteral("Najdi &naslednje"), this);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnFind->setDefault(true);
    buttons->addWidget(btnFind);
    connect(btnFind, &QPushButton::clicked, this, [this] { emit findRequested(this); });
    if (kind == Kind::Replace) {
        btnReplace = new QPushButton(QStringLiteral("Za&menjaj"), this);
        btnReplace->setObjectName(QStringLiteral("btnReplace"));
        btnReplaceAll = new QPushButton(QStringLiteral("Zamenjaj &vse"), this);
        btnReplaceAll->setObjectName(QStringLiteral("btnReplaceAll"));
        buttons->addWidget(btnReplace);
        buttons->addWidget(btnReplaceAll);
        connect(btnReplace, &QPushButton::clicked, this, [this] { emit replaceRequested(this, false); });
        connect(btnReplaceAll, &QPushButton::clicked, this, [this] { emit replaceRequested(this, true); });
    }
    auto* close = new QPushButton(QStringLiteral("Prekliči"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(close);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

QString TFindDialog::FindText() const { return txtFind->text(); }
QString TFindDialog::ReplaceText() const { return txtReplace ? txtReplace->text() : QString(); }
bool TFindDialog::MatchCase() const { return cbMatchCase->isChecked(); }
bool TFindDialog::WholeWord() const { return cbWholeWord->isChecked(); }
bool TFindDialog::Down() const { return rbDown ? rbDown->isChecked() : true; }

void TFindDialog::FocusSearchText() {
    txtFind->setFocus();
    txtFind->selectAll();
}
