#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "windows/monotext.h"
#include "windows/toolframe.h"

namespace {

// Collapse and expand by the widget, and a window restored low that starts collapsed.
TEST(ToolFrameTest, CollapseRemembersTheHeightAndRestoresIt) {
    for (auto kind : {TToolFrame::Collapse::Strip, TToolFrame::Collapse::TitleOnly}) {
        TToolFrame frame(QStringLiteral("Port1"), kind);
        frame.resize(200, 312);
        frame.show();
        QTest::mouseClick(frame.Widget1(), Qt::LeftButton);
        EXPECT_EQ(frame.height(), TToolFrame::kStripHeight);
        EXPECT_EQ(frame.SavedHeight(), 312);
        EXPECT_FALSE(frame.Body()->isVisible());
        QTest::mouseClick(frame.Widget1(), Qt::LeftButton);
        EXPECT_EQ(frame.height(), 312);
        EXPECT_TRUE(frame.Body()->isVisible());
    }
    // Saved as h 20, hb 312: starts collapsed and expands to 312.
    TToolFrame restored(QStringLiteral("SCI"), TToolFrame::Collapse::Strip);
    restored.SetSavedHeight(312);
    restored.resize(200, 20);
    restored.show();
    EXPECT_TRUE(restored.Collapsed());
    EXPECT_FALSE(restored.Body()->isVisible());
    restored.ToggleCollapse();
    EXPECT_EQ(restored.height(), 312);
}

TEST(ToolFrameTest, StayOnTopIsOnByDefaultAndFollowsTheWidget) {
    TToolFrame frame(QStringLiteral("Timer"), TToolFrame::Collapse::Strip);
    frame.show();
    EXPECT_TRUE(frame.StayOnTop());
    EXPECT_TRUE(frame.Widget2()->Down());
    QTest::mouseClick(frame.Widget2(), Qt::LeftButton);
    EXPECT_FALSE(frame.StayOnTop());
    EXPECT_FALSE(frame.Widget2()->Down());
    EXPECT_TRUE(frame.isVisible()); // the flag change does not hide the window
    frame.SetStayOnTop(true);
    EXPECT_TRUE(frame.StayOnTop());
    EXPECT_TRUE(frame.Widget2()->Down());
}

TEST(ToolFrameTest, WidgetsStandRightToLeftByIndexWithTheirGaps) {
    TToolFrame frame(QStringLiteral("Trace"), TToolFrame::Collapse::TitleOnly);
    frame.resize(300, 200);
    frame.show();
    // Tool windows set Gap 0: the two touch, Widget1 at the right edge.
    EXPECT_EQ(frame.Widget1()->geometry().right(), 299);
    EXPECT_EQ(frame.Widget2()->geometry().right() + 1, frame.Widget1()->geometry().left());
    frame.Widget1()->SetGap(2);
    frame.Widget2()->SetGap(2);
    EXPECT_EQ(frame.Widget1()->geometry().right(), 299 - 2);
    EXPECT_EQ(frame.Widget2()->geometry().right() + 1, frame.Widget1()->geometry().left() - 2);
    // A hidden window keeps its place in the menu's eyes: closing only hides.
    QSignalSpy visibility(&frame, &TToolFrame::visibilityChanged);
    frame.close();
    EXPECT_FALSE(frame.isVisible());
    ASSERT_EQ(visibility.count(), 1);
    EXPECT_FALSE(visibility.at(0).at(0).toBool());
}

} // namespace

// Texts placed glyph by glyph look exactly as the toolkit draws them, in a fixed-pitch and a
// proportional font, aligned left and centred; a character the font lacks is left to the toolkit.
TEST(MonoTextTest, DrawsAsTheToolkitDoes) {
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(9);
    QFont proportional = QApplication::font();
    for (const QFont& font : {mono, proportional})
        for (int flags : {int(Qt::AlignLeft | Qt::AlignVCenter), int(Qt::AlignCenter)})
            for (const QString& text :
                 {QStringLiteral("PC: $200F"), QStringLiteral("2012 : (89)  \u2030 \u010D"),
                  QStringLiteral("b7"), QStringLiteral("\u4E2D 1")}) {
                auto render = [&](bool glyphs) {
                    QImage image(160, 20, QImage::Format_ARGB32_Premultiplied);
                    image.fill(Qt::white);
                    QPainter painter(&image);
                    painter.setFont(font);
                    painter.setPen(Qt::black);
                    const QRect rect(3, 2, 150, 16);
                    TMonoText mono;
                    mono.SetFont(font);
                    if (glyphs) mono.Draw(painter, rect, flags, text);
                    else painter.drawText(rect, flags, text);
                    return image;
                };
                EXPECT_EQ(render(true), render(false))
                    << text.toStdString() << " in " << font.family().toStdString();
            }
}
