#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>

#include "gui/text_pane.h"
#include "tests/gui/window_fixture.h"

namespace {

QString LongText() {
    QString text;
    for (int i = 0; i < 3 * TextPane::kDisplayChunk + 17; ++i) text += QChar(u'a' + i % 26);
    text += QStringLiteral("\n短行\n\n");
    for (int i = 0; i < TextPane::kDisplayChunk * 2; ++i) text += QChar(0x4E00 + i % 100);
    text += QString::fromUtf16(u"\U0001F600");  // a surrogate pair near nothing in particular
    return text;
}

TEST(TextPane, LongLinesAreBrokenForDisplayOnly) {
    TextPane pane;
    QString text = LongText();
    pane.SetText(text);
    EXPECT_GT(pane.document()->blockCount(), 6);
    EXPECT_EQ(pane.Text(), text);

    pane.selectAll();
    pane.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);

    // Two characters either side of a display break (which takes one place in the document).
    QTextCursor cursor = pane.textCursor();
    cursor.setPosition(TextPane::kDisplayChunk - 2);
    cursor.setPosition(TextPane::kDisplayChunk + 3, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
    pane.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text.mid(TextPane::kDisplayChunk - 2, 4));

    // Across the real line break after the long line: it is kept.
    int realBreak = text.indexOf(u'\n');
    cursor.setPosition(realBreak + 3 - 1);  // three display breaks before it
    cursor.setPosition(realBreak + 3 + 2, QTextCursor::KeepAnchor);
    pane.setTextCursor(cursor);
    pane.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text.mid(realBreak - 1, 3));
}

TEST(TextPane, SettingReplacesEverythingAndCannotBeUndone) {
    TextPane pane;
    pane.SetGbkText("first");
    pane.SetGbkText(testing_support::Gbk(u"第二"));
    EXPECT_FALSE(pane.document()->isUndoAvailable());
    EXPECT_EQ(pane.GbkText(), testing_support::Gbk(u"第二"));
    pane.SetGbkText(
        std::string("a\xFF"
                    "b\x81",
                    4));  // odd bytes show, nothing is lost
    EXPECT_EQ(pane.Text().size(), 4);
    EXPECT_EQ(pane.Text().back(), QChar(0xFFFD));
}

TEST(TextPane, ManyShortLinesStayLines) {
    TextPane pane;
    QString text;
    for (int i = 0; i < 1000; ++i) text += QStringLiteral("line %1\n").arg(i);
    pane.SetText(text);
    EXPECT_EQ(pane.document()->blockCount(), 1001);
    EXPECT_EQ(pane.Text(), text);
}

}  // namespace
