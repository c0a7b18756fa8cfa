#pragma once

#include <QPlainTextEdit>

#include <string>
#include <string_view>

// A plain-text pane for request and answer texts of up to several megabytes. A line longer
// than a few thousand characters is shown broken into blocks, so that laying it out and typing
// stay fast; those display-only breaks never reach the text the pane gives back or copies.
class TextPane : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TextPane(QWidget* parent = nullptr);

    // Replaces the whole text, not undoable.
    void SetText(const QString& text);
    void SetGbkText(std::string_view gbk);

    // The text as set or edited, without display-only breaks.
    QString Text() const;
    std::string GbkText() const;

    // Longest block shown; longer lines are broken for display.
    static constexpr int kDisplayChunk = 4096;

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    QString TextBetween(int from, int to) const;
};
