// Documents: new, open, save, save as, the unsaved-changes question, recent files, encodings.
#include <QFileInfo>
#include <QMenu>
#include <csignal>
#include <sys/resource.h>

#include "tests/gui/gui_main_fixture.h"
#include "tests/unprivileged.h"

using Answer = TPrompt::Answer;

namespace {
// A Windows-1250 file with CR LF line ends and a UTF-8 file with LF and no final line end.
QByteArray DataFile(const char* name) {
    return MainWindowTest::Bytes(QStringLiteral(ORLEK_TEST_DATA "/gui/") + name);
}
const QByteArray kCp1250Source = DataFile("cp1250.asm");
const QByteArray kUtf8Source = DataFile("utf8.asm");
} // namespace

TEST_F(MainWindowTest, NewWithCancelNoAndYes) {
    Create();
    Koda().txtKoda->append(" NOP\n");
    const QString edited = Koda().Source();

    prompt.Answers = {Answer::Cancel};
    Docs().NewDocument();
    EXPECT_EQ(Koda().Source(), edited);
    EXPECT_TRUE(Koda().txtKoda->isModified());

    prompt.Answers = {Answer::No};
    Docs().NewDocument();
    EXPECT_TRUE(Koda().Source().isEmpty());
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));
    EXPECT_FALSE(Koda().txtKoda->isModified());

    // Yes on an untitled document: the save dialog comes first, then the new document.
    Koda().txtKoda->setText(" NOP\n");
    const QString target = temp.filePath("saved.asm");
    prompt.Answers = {Answer::Yes};
    prompt.SaveFiles = {target};
    Docs().NewDocument();
    ASSERT_EQ(prompt.Dialogs.size(), 1);
    EXPECT_TRUE(prompt.Dialogs[0].startsWith("Shrani kot|"));
    EXPECT_TRUE(prompt.Dialogs[0].endsWith("Neimenovana"));
    EXPECT_EQ(Bytes(target), QByteArray(" NOP\r\n"));
    EXPECT_TRUE(Koda().Source().isEmpty());

    // Yes, but the save dialog is cancelled: the changes are kept.
    Koda().txtKoda->setText(" ABA\n");
    prompt.Answers = {Answer::Yes};
    Docs().NewDocument();
    EXPECT_EQ(Koda().Source(), QStringLiteral(" ABA\n"));
}

TEST_F(MainWindowTest, OpenWithCancelNoAndYes) {
    Create();
    const QString file = File("prog.asm", " NOP\r\n");
    Koda().txtKoda->append(" ABA\n");
    const QString edited = Koda().Source();

    // Cancelled dialog: nothing happens, no question.
    Docs().OpenCommand();
    EXPECT_TRUE(prompt.Questions.isEmpty());
    EXPECT_EQ(Koda().Source(), edited);

    prompt.OpenFiles = {file};
    prompt.Answers = {Answer::Cancel};
    Docs().OpenCommand();
    EXPECT_EQ(Koda().Source(), edited);
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));

    prompt.OpenFiles = {file};
    prompt.Answers = {Answer::No};
    Docs().OpenCommand();
    EXPECT_EQ(Koda().Lines(), QStringList({" NOP"}));
    EXPECT_EQ(Koda().DocumentName(), file);
    EXPECT_EQ(TfrmMain::OpenSettings()->value("fileopen initialdir").toString(), temp.path() + '/');

    // Yes on a named document saves it without a dialog.
    Koda().txtKoda->append(" ABA\n");
    const QString other = File("other.asm", " TAB\r\n");
    prompt.OpenFiles = {other};
    prompt.Answers = {Answer::Yes};
    Docs().OpenCommand();
    EXPECT_EQ(Bytes(file), QByteArray(" NOP\r\n ABA\r\n"));
    EXPECT_EQ(Koda().DocumentName(), other);
    ASSERT_EQ(prompt.Dialogs.size(), 4);
    EXPECT_TRUE(prompt.Dialogs[3].startsWith("Odpri|" + temp.path()));
    EXPECT_EQ(prompt.Filters[3], QStringLiteral("Assembler (*.asm *.s07);;Vse datoteke (*)"));
}

TEST_F(MainWindowTest, SavingBeforeOpenDoesNotOfferTheFileBeingOpened) {
    Create();
    const QString file = File("wanted.asm", " NOP\r\n");
    Koda().txtKoda->append(" ABA\n");
    // Yes on the untitled text: its save dialog suggests the untitled name, never the file the
    // user is about to open (accepting that would overwrite it with the old text).
    prompt.Answers = {Answer::Yes};
    EXPECT_FALSE(Docs().OpenDocument(file)); // save dialog cancelled: nothing is opened
    ASSERT_EQ(prompt.Dialogs.size(), 1);
    EXPECT_TRUE(prompt.Dialogs[0].endsWith("Neimenovana")) << prompt.Dialogs[0].toStdString();
    EXPECT_EQ(Bytes(file), QByteArray(" NOP\r\n"));
    EXPECT_EQ(Docs().SaveDialogFileName(), QStringLiteral("Neimenovana"));
    // Once opened, the file's path is the save dialog's name.
    prompt.Answers = {Answer::No};
    ASSERT_TRUE(Docs().OpenDocument(file));
    EXPECT_EQ(Docs().SaveDialogFileName(), file);
    // A file that cannot be read leaves the name as it was.
    EXPECT_FALSE(Docs().OpenDocument(temp.filePath("absent.asm")));
    EXPECT_EQ(Docs().SaveDialogFileName(), file);
}

TEST_F(MainWindowTest, SaveAsAsksBeforeReplacingTheFileWithTheAddedExtension) {
    Create();
    const QString existing = File("prog.asm", " NOP\r\n");
    Koda().txtKoda->setText(" ABA\n");
    // The dialog confirmed "prog"; "prog.asm" exists and has not been asked about.
    prompt.SaveFiles = {temp.filePath("prog")};
    prompt.YesNo = {false};
    EXPECT_FALSE(Docs().SaveDocumentAs());
    ASSERT_EQ(prompt.Questions.size(), 1);
    EXPECT_TRUE(prompt.Questions[0].contains("prog.asm"));
    EXPECT_EQ(Bytes(existing), QByteArray(" NOP\r\n"));
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));

    prompt.SaveFiles = {temp.filePath("prog")};
    prompt.YesNo = {true};
    EXPECT_TRUE(Docs().SaveDocumentAs());
    EXPECT_EQ(Bytes(existing), QByteArray(" ABA\r\n"));
    EXPECT_EQ(Koda().DocumentName(), existing);
}

TEST_F(MainWindowTest, OpeningClearsBreakpointsAndMarks) {
    TfrmMain& w = Create();
    Koda().SetCaret(11, 1);
    w.Run().ToggleBreakpoint();
    Koda().ShowErrorLine(5);
    Koda().AddMessage("x");
    Koda().ShowMessages(true);
    ASSERT_TRUE(Docs().OpenDocument(File("a.asm", " NOP\n NOP\n")));
    EXPECT_TRUE(Koda().BreakpointLines().isEmpty());
    EXPECT_TRUE(w.Session().Breakpoints.Empty());
    EXPECT_EQ(Koda().ErrorLine(), 0);
    EXPECT_FALSE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().CaretLine(), 1);
}

TEST_F(MainWindowTest, UnreadableFileGivesMessageAndKeepsDocument) {
    Create();
    const QString before = Koda().Source();
    EXPECT_FALSE(Docs().OpenDocument(temp.filePath("absent.asm")));
    EXPECT_FALSE(Docs().OpenDocument(temp.path())); // a directory
    EXPECT_EQ(prompt.Messages.size(), 2);
    EXPECT_TRUE(prompt.Messages[0].endsWith("absent.asm (datoteka ali mapa ne obstaja)"))
        << prompt.Messages[0].toStdString();
    EXPECT_EQ(Koda().Source(), before);
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));
    EXPECT_TRUE(Docs().Recent().Entries().isEmpty());
}

TEST_F(MainWindowTest, FailedSaveKeepsModifiedFlagAndOldCaption) {
    Create();
    const QString file = File("keep.asm", " NOP\r\n");
    ASSERT_TRUE(Docs().OpenDocument(file));
    Koda().txtKoda->append(" ABA\n");
    prompt.SaveFiles = {temp.filePath("missing/dir/x.asm")};
    EXPECT_FALSE(Docs().SaveDocumentAs());
    EXPECT_EQ(prompt.Messages.size(), 1);
    EXPECT_TRUE(Koda().txtKoda->isModified());
    EXPECT_EQ(Koda().DocumentName(), file);
    EXPECT_EQ(Bytes(file), QByteArray(" NOP\r\n"));
    // No temporary files are left beside the document.
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files), QStringList({"keep.asm"}));
}

TEST_F(MainWindowTest, SaveAsNamesTheDocumentAndClearsTheModifiedMark) {
    Create();
    EXPECT_EQ(Koda().windowTitle(), QStringLiteral("Neimenovan"));
    Koda().txtKoda->append(" NOP\n");
    EXPECT_EQ(Koda().windowTitle(), QStringLiteral("Neimenovan *"));
    const QString target = temp.filePath("named"); // no extension: ".asm" is added
    prompt.SaveFiles = {target};
    ASSERT_TRUE(Docs().SaveDocument()); // untitled: behaves as Save as
    EXPECT_EQ(Koda().DocumentName(), target + ".asm");
    EXPECT_EQ(Koda().windowTitle(), target + ".asm");
    EXPECT_TRUE(QFileInfo::exists(target + ".asm"));
    EXPECT_FALSE(Koda().txtKoda->isModified());
    EXPECT_EQ(TfrmMain::OpenSettings()->value("filesave initialdir").toString(), temp.path() + '/');
    // Nothing to ask about at exit any more.
    EXPECT_TRUE(Docs().AskToSave());
    EXPECT_TRUE(prompt.Questions.isEmpty());
    // Save on a named document writes without a dialog and clears the flag.
    Koda().txtKoda->append(" ABA\n");
    EXPECT_EQ(Koda().windowTitle(), target + ".asm *");
    ASSERT_TRUE(Docs().SaveDocument());
    EXPECT_EQ(prompt.Dialogs.size(), 1);
    EXPECT_FALSE(Koda().txtKoda->isModified());
    EXPECT_EQ(Koda().windowTitle(), target + ".asm");
    EXPECT_TRUE(Docs().Recent().Entries().isEmpty()); // saving does not add to the recent files
}

TEST_F(MainWindowTest, RecentFilesKeepTheFourMostRecent) {
    Create();
    EXPECT_EQ(Menu("mnuNedavno")->actions().size(), 1);
    EXPECT_EQ(Menu("mnuNedavno")->actions()[0]->text(), QStringLiteral("(none)"));
    EXPECT_FALSE(Menu("mnuNedavno")->actions()[0]->isEnabled());
    QStringList files;
    for (int i = 1; i <= 5; ++i)
        files << File(QStringLiteral("f%1.asm").arg(i), " NOP\n");
    for (const QString& f : files)
        ASSERT_TRUE(Docs().OpenDocument(f));
    EXPECT_EQ(Docs().Recent().Paths(), QStringList({files[4], files[3], files[2], files[1]}));
    QStringList captions;
    for (QAction* a : Menu("mnuNedavno")->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"f5.asm", "f4.asm", "f3.asm", "f2.asm"}));

    // Opening a listed file again moves it to the top, once.
    ASSERT_TRUE(Docs().OpenDocument(files[2]));
    EXPECT_EQ(Docs().Recent().Paths(), QStringList({files[2], files[4], files[3], files[1]}));
    // A click on an entry opens it.
    Menu("mnuNedavno")->actions()[3]->trigger();
    EXPECT_EQ(Koda().DocumentName(), files[1]);

    Close();
    {
        auto s = TfrmMain::OpenSettings();
        EXPECT_EQ(s->value("Recent files/File0").toString(), files[1]);
        EXPECT_EQ(s->value("Recent files/Name0").toString(), QStringLiteral("f2.asm"));
        EXPECT_FALSE(s->contains("Recent files/File4"));
    }
    // A file deleted meanwhile drops out at the next start.
    QFile::remove(files[4]);
    Create();
    EXPECT_EQ(Docs().Recent().Paths(), QStringList({files[1], files[2], files[3]}));
    Close();
    EXPECT_FALSE(TfrmMain::OpenSettings()->contains("Recent files/File3"));
}

TEST_F(MainWindowTest, Cp1250AndUtf8FilesRoundTripByteForByte) {
    TfrmMain& w = Create();
    const QString cp = File("cp.asm", kCp1250Source);
    const QString utf = File("utf.asm", kUtf8Source);

    ASSERT_TRUE(Docs().OpenDocument(cp));
    EXPECT_EQ(Docs().Format().encoding, TTextFormat::Encoding::Cp1250);
    EXPECT_EQ(Koda().Lines()[0], QStringLiteral("* števec črke ŠŽČ ž"));
    ASSERT_TRUE(Docs().SaveDocument());
    EXPECT_EQ(Bytes(cp), kCp1250Source);

    ASSERT_TRUE(Docs().OpenDocument(utf));
    EXPECT_EQ(Docs().Format().encoding, TTextFormat::Encoding::Utf8);
    EXPECT_EQ(Koda().Lines()[0], QStringLiteral("* števec črke ŠŽČ ž"));
    ASSERT_TRUE(Docs().SaveDocument());
    EXPECT_EQ(Bytes(utf), kUtf8Source);

    // The assembler gets Windows-1250 bytes either way: the label from a UTF-8 file assembles.
    Koda().SetSource(QStringLiteral("sčas   equ $12\n       org $fffe\n       fdb sčas\n"));
    w.Run().Compile();
    EXPECT_FALSE(Koda().MessagesVisible()) << Koda().Messages().join('\n').toStdString();
    EXPECT_EQ(w.Session().Compiler().Labels().Entries().at(0).Name, std::string("S\xC8"
                                                                                "AS"));
}

TEST_F(MainWindowTest, TextOutsideCp1250IsNotSavedAsQuestionMarks) {
    Create();
    const QString cp = File("cp.asm", kCp1250Source);
    ASSERT_TRUE(Docs().OpenDocument(cp));
    Koda().txtKoda->append("* 漢字\n");
    prompt.YesNo = {false};
    EXPECT_FALSE(Docs().SaveDocument());
    EXPECT_EQ(Bytes(cp), kCp1250Source);
    EXPECT_TRUE(Koda().txtKoda->isModified());
    prompt.YesNo = {true};
    EXPECT_TRUE(Docs().SaveDocument());
    EXPECT_TRUE(QString::fromUtf8(Bytes(cp)).contains(QStringLiteral("漢字")));
    EXPECT_EQ(Docs().Format().encoding, TTextFormat::Encoding::Utf8);
}

TEST(DocumentFileTest, BinaryAndOversizedFilesAreRefused) {
    QTemporaryDir dir;
    QString text, error;
    TTextFormat f;
    // A zero byte would cut the editor's text short, and a later save would lose the rest.
    QFile binary(dir.filePath("prog.bin"));
    ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray(" NOP\r\n\0\x01 END\r\n", 14));
    binary.close();
    EXPECT_FALSE(TDocumentFile::Read(binary.fileName(), text, f, error));
    EXPECT_TRUE(error.contains("prog.bin"));

    QFile big(dir.filePath("big.asm"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(TDocumentFile::MaxDocumentBytes + 1));
    big.close();
    error.clear();
    EXPECT_FALSE(TDocumentFile::Read(big.fileName(), text, f, error));
    EXPECT_TRUE(error.contains("big.asm"));
}

TEST(DocumentFileTest, DecodeKeepsLineEndsAndByteOrderMark) {
    TTextFormat f;
    EXPECT_EQ(TDocumentFile::Decode("a\r\nb\r\n", f), QStringLiteral("a\nb\n"));
    EXPECT_EQ(f.lineEnd, QStringLiteral("\r\n"));
    EXPECT_EQ(TDocumentFile::Decode("\xEF\xBB\xBF"
                                    "a\nb",
                                    f),
              QStringLiteral("a\nb"));
    EXPECT_TRUE(f.byteOrderMark);
    EXPECT_EQ(f.lineEnd, QStringLiteral("\n"));
    QByteArray bytes;
    ASSERT_TRUE(TDocumentFile::Encode(QStringLiteral("a\nb"), f, bytes));
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF"
                                "a\nb"));
    // A byte order mark in front of Windows-1250 text is no text either, and comes back on saving.
    EXPECT_EQ(TDocumentFile::Decode("\xEF\xBB\xBFstart nop ;\x9A", f), QStringLiteral("start nop ;š"));
    EXPECT_EQ(f.encoding, TTextFormat::Encoding::Cp1250);
    ASSERT_TRUE(TDocumentFile::Encode(QStringLiteral("start nop ;š"), f, bytes));
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBFstart nop ;\x9A"));
    // Old Mac line ends come back as they were.
    EXPECT_EQ(TDocumentFile::Decode("a\rb\r", f), QStringLiteral("a\nb\n"));
    ASSERT_TRUE(TDocumentFile::Encode(QStringLiteral("a\nb\n"), f, bytes));
    EXPECT_EQ(bytes, QByteArray("a\rb\r"));
}

// A writable document in a folder that takes no new files is saved in place; when that write
// fails part way the message says the file may be incomplete.
TEST(DocumentFileTest, AWritableFileInAReadOnlyFolderIsSavedInPlace) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.asm"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    using P = QFileDevice::Permission;
    QFile::setPermissions(path, P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup | P::ReadOther |
                                    P::WriteOther);
    QFile::setPermissions(dir.path(), P::ReadOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther |
                                          P::ExeOther);
    const std::string failure = RunUnprivileged([&]() -> std::string {
        QString error;
        if (!TDocumentFile::Write(path, " NOP\n", error)) return error.toStdString();
        if (MainWindowTest::Bytes(path) != " NOP\n") return "not written";
        // The disk takes two bytes only.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2, 2};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (TDocumentFile::Write(path, " ABA\n", error))
            return "a failed write was reported as saved: " + MainWindowTest::Bytes(path).toStdString();
        if (!error.contains(QStringLiteral("je morda nepopolna"))) return error.toStdString();
        return "";
    });
    QFile::setPermissions(dir.path(), P::ReadOwner | P::WriteOwner | P::ExeOwner);
    EXPECT_EQ(failure, "");
}
