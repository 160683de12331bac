#include "windows/prompt.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "windows/vnos.h"

namespace {

QWidget* DialogParent() { return QApplication::activeWindow(); }

// Real dialogs and message boxes.
class InteractivePrompt final : public TPrompt {
public:
    void ShowMessage(const QString& title, const QString& text) override {
        QMessageBox::information(DialogParent(), title, text);
    }
    void ShowError(const QString& title, const QString& text) override {
        QMessageBox::critical(DialogParent(), title, text);
    }
    Answer AskYesNoCancel(const QString& title, const QString& text) override {
        switch (QMessageBox::question(DialogParent(), title, text,
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    bool AskYesNo(const QString& title, const QString& text) override {
        return QMessageBox::question(DialogParent(), title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    std::optional<QString> AskValue(const QString& caption, const QString& initial) override {
        // The value-entry dialog created at start-up, or a temporary one before it exists.
        if (TfrmVnos* dialog = ValueDialog()) {
            if (!dialog->ShowEntry(caption, initial)) return std::nullopt;
            return dialog->EntryText;
        }
        TfrmVnos dialog(DialogParent());
        if (!dialog.ShowEntry(caption, initial)) return std::nullopt;
        return dialog.EntryText;
    }
    QString ChooseOpenFile(const QString& title, const QString& directory, const QString& filter) override {
        return QFileDialog::getOpenFileName(DialogParent(), title, directory, filter);
    }
    QString ChooseSaveFile(const QString& title, const QString& directory, const QString& filter) override {
        return QFileDialog::getSaveFileName(DialogParent(), title, directory, filter);
    }
};

InteractivePrompt interactivePrompt;
TPrompt* current = &interactivePrompt;

} // namespace

bool TPrompt::ExecDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

TPrompt& Prompt() { return *current; }

void SetPrompt(TPrompt* prompt) { current = prompt ? prompt : &interactivePrompt; }
