#pragma once
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

// Every question the workbench asks the user goes through this interface, so tests can answer
// dialogs and message boxes without a modal loop. The workbench installs the interactive
// implementation; tests install a scripted one.
class TPrompt {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~TPrompt() = default;
    // Message box with one OK button.
    virtual void ShowMessage(const QString& title, const QString& text) = 0;
    // The same for a failure the user must see; shown with an error icon.
    virtual void ShowError(const QString& title, const QString& text) { ShowMessage(title, text); }
    // Yes / No / Cancel question.
    virtual Answer AskYesNoCancel(const QString& title, const QString& text) = 0;
    // Yes / No question.
    virtual bool AskYesNo(const QString& title, const QString& text) = 0;
    // The value-entry dialog: returns the confirmed text, or nothing on Escape / cancel.
    virtual std::optional<QString> AskValue(const QString& caption, const QString& initial) = 0;
    // File dialogs: an empty result means cancelled.
    virtual QString ChooseOpenFile(const QString& title, const QString& directory, const QString& filter) = 0;
    virtual QString ChooseSaveFile(const QString& title, const QString& directory, const QString& filter) = 0;
    // Shows a dialog of the workbench modally (settings, print, preview, about); true when it
    // was accepted. Tests look at the dialog and answer it instead.
    virtual bool ExecDialog(QDialog& dialog);
};

// The tool windows stay on top of the others. Every dialog and every window the student opens
// comes up above them: it stays on top itself while it is shown, fits the screen's free area and
// takes the focus. PrepareAboveTools does the first two before a modal exec() (the interactive
// prompt and TfrmVnos use it); ShowAboveTools shows a window that is not modal.
void PrepareAboveTools(QWidget& window);
void ShowAboveTools(QWidget& window);

// The one prompt used by all windows. Never null: starts as the interactive implementation.
TPrompt& Prompt();
// Replaces the prompt (tests); passing nullptr restores the interactive one. Not owned.
void SetPrompt(TPrompt* prompt);
