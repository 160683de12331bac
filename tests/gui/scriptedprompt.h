#pragma once
#include <QStringList>
#include <optional>

#include "windows/prompt.h"

// Answers the workbench's questions from a script and records what was asked.
class TScriptedPrompt : public TPrompt {
public:
    TScriptedPrompt() { SetPrompt(this); }
    ~TScriptedPrompt() override { SetPrompt(nullptr); }

    QStringList Values;   // answers to AskValue, in order; a null QString() cancels
    QStringList Asked;    // "prompt|initial" of every AskValue
    QStringList Messages; // texts of ShowMessage
    QString SavePath;     // the answer to ChooseSaveFile; empty cancels

    void ShowMessage(const QString&, const QString& text) override { Messages << text; }
    Answer AskYesNoCancel(const QString&, const QString&) override { return Answer::Cancel; }
    bool AskYesNo(const QString&, const QString&) override { return false; }
    std::optional<QString> AskValue(const QString& caption, const QString& initial) override {
        Asked << caption + '|' + initial;
        if (Values.isEmpty()) return std::nullopt;
        const QString answer = Values.takeFirst();
        if (answer.isNull()) return std::nullopt;
        return answer;
    }
    QString ChooseOpenFile(const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseSaveFile(const QString&, const QString&, const QString&) override { return SavePath; }
};
