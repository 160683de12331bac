#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <Qsci/qsciscintilla.h>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include "assembler/compiler.h"
#include "editor/frmkoda.h"
#include "session/session.h"
#include "windows/prompt.h"
#include "workbench/documents.h"
#include "workbench/finddialog.h"
#include "workbench/frmmain.h"
#include "workbench/historylist.h"
#include "workbench/runcontrol.h"
#include "workbench/windowlist.h"

// Answers the workbench's dialogs from a script and records every question.
class TTestPrompt : public TPrompt {
public:
    TTestPrompt() { SetPrompt(this); }
    ~TTestPrompt() override { SetPrompt(nullptr); }

    std::deque<Answer> Answers;    // AskYesNoCancel, in order (Cancel when empty)
    std::deque<bool> YesNo;        // AskYesNo (No when empty)
    std::deque<QString> OpenFiles; // ChooseOpenFile ("" = cancelled)
    std::deque<QString> SaveFiles; // ChooseSaveFile ("" = cancelled)
    // Answers ExecDialog: looks at the dialog (it may show it, fill it, close it) and says
    // whether it was accepted. Without it every dialog counts as cancelled.
    std::function<bool(QDialog&)> OnDialog;
    QStringList Messages, Questions, Dialogs, Errors, Filters;
    QStringList Shown; // object names of the dialogs ExecDialog was asked to show

    void ShowMessage(const QString&, const QString& text) override { Messages << text; }
    void ShowError(const QString& title, const QString& text) override {
        Errors << text;
        ShowMessage(title, text);
    }
    bool ExecDialog(QDialog& dialog) override {
        Shown << dialog.objectName();
        return OnDialog ? OnDialog(dialog) : false;
    }
    Answer AskYesNoCancel(const QString& title, const QString& text) override {
        Questions << title + '|' + text;
        if (Answers.empty()) return Answer::Cancel;
        const Answer a = Answers.front();
        Answers.pop_front();
        return a;
    }
    bool AskYesNo(const QString& title, const QString& text) override {
        Questions << title + '|' + text;
        if (YesNo.empty()) return false;
        const bool a = YesNo.front();
        YesNo.pop_front();
        return a;
    }
    std::optional<QString> AskValue(const QString&, const QString&) override { return std::nullopt; }
    QString ChooseOpenFile(const QString& title, const QString& dir, const QString& filter) override {
        Dialogs << title + '|' + dir;
        Filters << filter;
        if (OpenFiles.empty()) return {};
        const QString f = OpenFiles.front();
        OpenFiles.pop_front();
        return f;
    }
    QString ChooseSaveFile(const QString& title, const QString& dir, const QString& filter) override {
        Dialogs << title + '|' + dir;
        Filters << filter;
        if (SaveFiles.empty()) return {};
        const QString f = SaveFiles.front();
        SaveFiles.pop_front();
        return f;
    }
};

// A main window over the built program directory with an empty settings store, a scripted
// prompt and a temporary directory for files.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TfrmMain::OpenSettings()->clear();
        ASSERT_TRUE(temp.isValid());
    }
    void TearDown() override {
        if (main) Discard();
        TfrmMain::OpenSettings()->clear();
    }

    TfrmMain& Create(bool start = true, const QString& document = QString()) {
        main = std::make_unique<TfrmMain>(QStringLiteral(ORLEK_PROGRAM_DIR));
        EXPECT_TRUE(main->Ok()) << main->StartupError().toStdString();
        main->Session().ListingPath = temp.filePath(QStringLiteral("list.lst")).toStdString();
        if (start) main->Start(document);
        return *main;
    }
    // Closes the window as the user would (the exit writes the store).
    void Close() {
        main->close();
        main.reset();
    }
    // Drops the window without the exit's questions and store writes.
    void Discard() {
        Koda().txtKoda->setModified(false);
        main->hide();
        main.reset();
    }
    // A part of the main window or of one of its windows, by object name; a missing part fails
    // the test.
    template <typename T> T* Part(const char* name) {
        T* part = main->findChild<T*>(QLatin1String(name));
        EXPECT_NE(part, nullptr) << "no part named " << name;
        return part;
    }
    QAction* Action(const char* name) { return Part<QAction>(name); }
    QMenu* Menu(const char* name) { return Part<QMenu>(name); }
    TfrmKoda& Koda() { return *Part<TfrmKoda>("frmKoda"); }
    TDocuments& Docs() { return main->Documents(); }
    QString File(const QString& name, const QByteArray& bytes) {
        const QString path = temp.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

public:
    static QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

protected:
    QTemporaryDir temp;
    TTestPrompt prompt;
    std::unique_ptr<TfrmMain> main;
};
