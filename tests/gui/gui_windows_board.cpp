// The board window "Plošča" over the shipped boards: what it draws, what the hand on it sends,
// and when it repaints.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "board/boardfile.h"
#include "board/labboard.h"
#include "windows/frmplosca.h"

namespace {

class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

std::string BoardText(const QString& name) {
    QFile file(QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll().toStdString();
}

std::unique_ptr<TLabBoard> Board(const QString& name) {
    TBoardRead read = ParseBoard(BoardText(name));
    EXPECT_TRUE(read.Ok()) << read.Message();
    return std::make_unique<TLabBoard>(read.Board.value_or(TBoardConfig{}));
}

int PartIndex(const TLabBoard& board, const std::string& name) {
    for (size_t i = 0; i < board.Parts().size(); ++i)
        if (board.Parts()[i].Name == name) return static_cast<int>(i);
    ADD_FAILURE() << "no part " << name;
    return -1;
}

class BoardWindowTest : public ::testing::Test {
protected:
    // The window shown with a board, drawn once.
    void Show(const QString& name) {
        board = Board(name);
        window.SetBoard(board.get());
        window.show();
        window.DrawFrame();
        QCoreApplication::processEvents();
    }
    QPoint Centre(const QRectF& r) const { return r.center().toPoint(); }

    std::unique_ptr<TLabBoard> board;
    TfrmPlosca window;
};

} // namespace

// Every shipped board fits its window at 100 %, with no part and no label on another.
TEST_F(BoardWindowTest, DrawsEveryShippedBoardWithThePartsApart) {
    // The folder also holds an exercise for each board.
    QStringList files = QDir(QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards")).entryList({"*.json"});
    files.removeIf([](const QString& f) { return f.endsWith(QLatin1String("-naloga.json")); });
    ASSERT_EQ(files.size(), 4);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        Show(file);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Plošča"));
        EXPECT_TRUE(window.MessageText().isEmpty());
        TBoardView* view = window.View();
        EXPECT_GE(view->width(), view->BoardSize().width());
        EXPECT_GE(view->height(), view->BoardSize().height());
        const int parts = static_cast<int>(board->Parts().size());
        for (int i = 0; i < parts; ++i) {
            EXPECT_TRUE(QRectF(view->rect()).contains(view->PartRect(i))) << i;
            for (int j = i + 1; j < parts; ++j)
                EXPECT_FALSE(view->PartRect(i).intersects(view->PartRect(j))) << i << " " << j;
        }
        const QImage image = view->grab().toImage();
        EXPECT_FALSE(image.isNull());
    }
}

TEST_F(BoardWindowTest, ShowsTheFaultOfABoardFileOrHowToOpenOne) {
    EXPECT_TRUE(window.MessageText().contains(QStringLiteral("Odpri ploščo")));
    const TBoardRead read = ParseBoard(R"({"name": "x", "parts": [
        {"type": "led", "name": "L0", "pin": "3.9"}]})");
    ASSERT_FALSE(read.Ok());
    const QString fault = QString::fromStdString(read.Message());
    window.SetBoard(nullptr, QStringLiteral("plosca.json\n") + fault);
    EXPECT_TRUE(window.MessageText().startsWith(QStringLiteral("Napaka v datoteki plošče\nplosca.json\n")));
    EXPECT_TRUE(window.MessageText().contains(fault));
    EXPECT_TRUE(fault.contains(QStringLiteral("L0")) && fault.contains(QStringLiteral("vrstica 2")));
    // A good board replaces the message.
    Show(QStringLiteral("lucke.json"));
    EXPECT_TRUE(window.MessageText().isEmpty());
}

TEST_F(BoardWindowTest, MouseAndKeyboardSendTheBoardsInputNames) {
    QSignalSpy pressed(&window, &TfrmPlosca::pressed), released(&window, &TfrmPlosca::released),
        switched(&window, &TfrmPlosca::switchSet);
    Show(QStringLiteral("lucke.json"));
    TBoardView* view = window.View();
    // A click turns a switch over; the board's state says which way.
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(view->PartRect(PartIndex(*board, "S1"))));
    ASSERT_EQ(switched.count(), 1);
    EXPECT_EQ(switched[0], (QVariantList{QStringLiteral("S1"), true}));
    std::string error;
    board->SetSwitch(0, *board->FindInput("S1", TLabBoard::TInputUse::Switch, error), true);
    window.DrawFrame();
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(view->PartRect(PartIndex(*board, "S1"))));
    EXPECT_EQ(switched[1], (QVariantList{QStringLiteral("S1"), false}));
    // A push button is held from the press to the release; a lamp takes nothing.
    const QPoint button = Centre(view->PartRect(PartIndex(*board, "T0")));
    QTest::mousePress(view, Qt::LeftButton, {}, button);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 0);
    QTest::mouseRelease(view, Qt::LeftButton, {}, button + QPoint(40, 0));
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toString(), QStringLiteral("T0"));
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(view->PartRect(PartIndex(*board, "L0"))));
    EXPECT_EQ(pressed.count() + switched.count(), 3);

    // A keypad's key by the mouse and by the keyboard (a letter in either case).
    pressed.clear();
    released.clear();
    Show(QStringLiteral("tipkovnica.json"));
    const int keypad = PartIndex(*board, "KEY");
    QTest::mouseClick(view, Qt::LeftButton, {}, Centre(view->KeyRect(keypad, 5))); // "5"
    view->setFocus();
    QTest::keyPress(view, Qt::Key_A, Qt::NoModifier, 0);
    QTest::keyRelease(view, Qt::Key_A);
    QTest::keyPress(view, Qt::Key_NumberSign);
    // A key still held when the view loses the focus is let go.
    QTest::keyPress(view, Qt::Key_0);
    window.hide();
    const QStringList expectedPressed = {"KEY:5", "KEY:A", "KEY:#", "KEY:0"};
    ASSERT_EQ(pressed.count(), expectedPressed.size());
    for (int i = 0; i < pressed.count(); ++i)
        EXPECT_EQ(pressed[i][0].toString(), expectedPressed[i]);
    QStringList let;
    for (const QList<QVariant>& r : released)
        let << r[0].toString();
    let.sort();
    EXPECT_EQ(let, (QStringList{"KEY:#", "KEY:0", "KEY:5", "KEY:A"}));
}

// A frame that finds the board as it was drawn costs no repaint; a change on the board does,
// and so does a conflict, which is named under the parts.
TEST_F(BoardWindowTest, RepaintsOnlyWhenWhatTheBoardShowsChanged) {
    Show(QStringLiteral("lucke.json"));
    TPaintCounter paints(window.View());
    window.DrawFrame();
    window.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 0);

    // The program drives the lamps: the revision grows and the lamps light.
    board->PortsChanged(0, {0x0F, 0x05}, {});
    window.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 1);
    const TBoardShown& shown = window.View()->Shown();
    EXPECT_TRUE(shown.Parts[static_cast<size_t>(PartIndex(*board, "L0"))].On);
    EXPECT_FALSE(shown.Parts[static_cast<size_t>(PartIndex(*board, "L1"))].On);
    // The same levels written again: the revision may grow, the picture stays.
    board->PortsChanged(1000, {0x0F, 0x15}, {});
    window.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 1);

    // The program makes P14 an output under the switch S0.
    EXPECT_TRUE(window.ConflictText().isEmpty());
    board->PortsChanged(2000, {0x1F, 0x05}, {});
    window.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_GE(paints.Count, 2);
    EXPECT_TRUE(window.ConflictText().contains(QStringLiteral("1.4")));
    EXPECT_TRUE(window.View()->Shown().Parts[static_cast<size_t>(PartIndex(*board, "S0"))].Conflict);
}
