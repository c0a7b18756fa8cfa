#include "gui/text_pane.h"

#include <QMimeData>
#include <QTextBlock>

#include <vector>

#include "gui/gbk_qt.h"

namespace {

// Block user state of a block that continues the line of the block before it.
constexpr int kContinuation = 1;

}  // namespace

TextPane::TextPane(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
}

void TextPane::SetText(const QString& text) {
    // Break over-long lines into display chunks, remembering which blocks continue a line.
    QString display;
    display.reserve(text.size() + text.size() / kDisplayChunk + 1);
    std::vector<int> continuations;
    int block = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n') continue;
        qsizetype pos = lineStart;
        while (i - pos > kDisplayChunk) {
            qsizetype cut = pos + kDisplayChunk;
            if (text[cut].isLowSurrogate()) --cut;  // never split a surrogate pair
            display.append(QStringView(text).mid(pos, cut - pos)).append(u'\n');
            continuations.push_back(++block);
            pos = cut;
        }
        display.append(QStringView(text).mid(pos, i - pos));
        if (i < text.size()) {
            display.append(u'\n');
            ++block;
        }
        lineStart = i + 1;
    }
    setPlainText(display);
    QTextDocument* doc = document();
    for (int number : continuations) doc->findBlockByNumber(number).setUserState(kContinuation);
    // As the text was inserted at the end of the emptied pane: the caret stands after it.
    moveCursor(QTextCursor::End);
}

void TextPane::SetGbkText(std::string_view gbk) { SetText(FromGbk(gbk)); }

QString TextPane::TextBetween(int from, int to) const {
    QString out;
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to;
         b = b.next()) {
        int begin = std::max(from, b.position()) - b.position();
        int end = std::min(to, b.position() + b.length() - 1) - b.position();
        if (b.position() > from && b.userState() != kContinuation) out += u'\n';
        if (end > begin) out += QStringView(b.text()).mid(begin, end - begin);
    }
    return out;
}

QString TextPane::Text() const { return TextBetween(0, document()->characterCount() - 1); }

std::string TextPane::GbkText() const { return ToGbk(Text()); }

QMimeData* TextPane::createMimeDataFromSelection() const {
    QTextCursor cursor = textCursor();
    auto* mime = new QMimeData;
    mime->setText(TextBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}
