#pragma once
#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The value-entry dialog "Vnos": one prompt, one entry field, "Potrdi" (Enter) and "Prekliči"
// (Escape). It returns the text as typed; callers convert it (ParseEntryInteger / AskEntryInteger).
// Created once and reused: Prompt and EntryText survive between uses.
class TfrmVnos : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVnos(QWidget* parent = nullptr);

    QString Prompt;    // shown above the entry field
    QString EntryText; // the field's text when the user last confirmed
    bool Confirmed = false;

    // Sets the prompt and the initial text, shows the dialog modally; returns Confirmed.
    bool ShowEntry(const QString& prompt, const QString& initial);
    // Prepares the dialog for showing without entering a modal loop (ShowEntry does this, then
    // exec()); tests call it and then open() to drive the dialog with key events.
    void Prepare(const QString& prompt, const QString& initial);

    QLineEdit* Entry() const { return tekst; }
    QPushButton* ConfirmButton() const { return btnPotrdi; }
    QPushButton* CancelButton() const { return btnPreklici; }

    void accept() override;
    void reject() override;
    void setVisible(bool visible) override;

private:
    QLabel* lblPrompt;
    QLineEdit* tekst;
    QPushButton* btnPotrdi;
    QPushButton* btnPreklici;
};

// Installs the dialog the interactive prompt uses for AskValue (the main window creates one at
// start-up); nullptr makes AskValue use a temporary dialog. Not owned.
void SetValueDialog(TfrmVnos* dialog);
TfrmVnos* ValueDialog();

// The message shown when entered text is not a valid integer.
QString InvalidIntegerMessage(const QString& text);

// Asks for a number through Prompt().AskValue and converts it with the common conversion.
// Cancelled: nothing. Text that does not convert: the invalid-integer message is shown and
// nothing is returned, so the caller changes nothing.
std::optional<int32_t> AskEntryInteger(const QString& prompt, const QString& initial);
