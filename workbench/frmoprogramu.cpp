#include "workbench/frmoprogramu.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <Qsci/qsciglobal.h>
#include <QtGlobal>

#ifndef ORLEK_VERSION
#error "ORLEK_VERSION is set by CMake from the project's version"
#endif

TfrmOProgramu::TfrmOProgramu(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOProgramu"));
    setWindowTitle(QStringLiteral("O programu"));
    setModal(true);

    auto* name = new QLabel(QStringLiteral("<h2>Orlek</h2>"), this);
    name->setObjectName(QStringLiteral("Name"));
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("Text"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setOpenExternalLinks(true);
    text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    text->setText(
        QStringLiteral("<p>Različica %1</p>"
                       "<p>Učno okolje za mikrokrmilnik Motorola MC6803: urejevalnik, zbirnik in simulator "
                       "procesorja z vrati, serijskim vmesnikom, časovnikom in sledenjem vodila. Program "
                       "v zbirniku napišete, prevedete, naložite in izvajate korak za korakom, počasi ali "
                       "hitro, ter pri tem opazujete registre, zastavice in pomnilnik.</p>"
                       "<p>Licenca: GNU General Public License, različica 3 ali novejša. Program je na voljo "
                       "brez kakršnega koli jamstva.</p>"
                       "<p>Zgrajen s knjižnicama:<br>Qt %2 (zgrajen s %3)<br>QScintilla %4</p>")
            .arg(Version(), QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
                 QStringLiteral(QSCINTILLA_VERSION_STR)));
    text->setMinimumWidth(380);

    auto* close = new QPushButton(QStringLiteral("Zapri"), this);
    close->setObjectName(QStringLiteral("btnZapri"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(text);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TfrmOProgramu::Version() { return QStringLiteral(ORLEK_VERSION); }

QString TfrmOProgramu::Text() const {
    const auto* text = findChild<QLabel*>(QStringLiteral("Text"));
    return text ? text->text() : QString();
}
