#include "windows/vnos.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "engine/numbers.h"
#include "windows/prompt.h"

namespace {
TfrmVnos* installedDialog = nullptr;
}

TfrmVnos::TfrmVnos(QWidget* parent) : QDialog(parent) {
    setObjectName("frmVnos");
    setWindowTitle(QStringLiteral("Vnos"));
    // Fixed border, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName("lblPrompt");
    tekst = new QLineEdit(this);
    tekst->setObjectName("tekst");
    btnPotrdi = new QPushButton(QStringLiteral("Potrdi"), this);
    btnPotrdi->setObjectName("btnPotrdi");
    btnPotrdi->setDefault(true);
    btnPotrdi->setAutoDefault(true);
    btnPreklici = new QPushButton(QStringLiteral("Prekliči"), this);
    btnPreklici->setObjectName("btnPreklici");
    btnPreklici->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPotrdi);
    buttons->addWidget(btnPreklici);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(lblPrompt);
    layout->addWidget(tekst);
    layout->addLayout(buttons);

    connect(btnPotrdi, &QPushButton::clicked, this, &TfrmVnos::accept);
    connect(btnPreklici, &QPushButton::clicked, this, &TfrmVnos::reject);

    // The client area is 166 x 76; allow it to grow only as far as the fonts need.
    resize(166, 76);
    setFixedSize(sizeHint().expandedTo(QSize(166, 76)));
}

void TfrmVnos::Prepare(const QString& prompt, const QString& initial) {
    Prompt = prompt;
    Confirmed = false;
    lblPrompt->setText(prompt);
    tekst->setText(initial);
    setFixedSize(sizeHint().expandedTo(QSize(166, 76)));
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

bool TfrmVnos::ShowEntry(const QString& prompt, const QString& initial) {
    Prepare(prompt, initial);
    PrepareAboveTools(*this);
    exec();
    return Confirmed;
}

void TfrmVnos::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (!visible) return;
    // Done after showing, when the dialog has given the field its initial focus (which would
    // select the whole text). Typing replaces everything after a leading "$"; a single
    // character stays unselected with the caret after it.
    const int length = static_cast<int>(tekst->text().size());
    if (length > 1) tekst->setSelection(1, length - 1);
    else tekst->setCursorPosition(length);
    tekst->setFocus(Qt::OtherFocusReason);
}

void TfrmVnos::accept() {
    Confirmed = true;
    EntryText = tekst->text();
    QDialog::accept();
}

void TfrmVnos::reject() {
    Confirmed = false;
    QDialog::reject();
}

void SetValueDialog(TfrmVnos* dialog) { installedDialog = dialog; }
TfrmVnos* ValueDialog() { return installedDialog; }

QString InvalidIntegerMessage(const QString& text) {
    // A pasted page of text would make a message box wider than the screen: quote its start.
    constexpr qsizetype kShown = 40;
    const QString shown = text.size() > kShown ? text.left(kShown) + QStringLiteral("…") : text;
    return QStringLiteral("'%1' ni veljavna celoštevilska vrednost").arg(shown);
}

std::optional<int32_t> AskEntryInteger(const QString& prompt, const QString& initial) {
    std::optional<QString> text = Prompt().AskValue(prompt, initial);
    if (!text) return std::nullopt;
    std::optional<int32_t> value = ParseEntryInteger(text->toStdString());
    if (!value) Prompt().ShowMessage(QStringLiteral("Orlek"), InvalidIntegerMessage(*text));
    return value;
}
