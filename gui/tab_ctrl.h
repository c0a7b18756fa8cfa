#pragma once

#include <QWidget>

class QTabBar;

// A tab control as the main window uses it: a row of tabs over a framed area in which the
// window places the pages itself.
class CTabCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CTabCtrl(QWidget* parent = nullptr);

    void InsertItem(int index, const QString& text);
    int GetCurSel() const;
    void SetCurSel(int index);
    QTabBar* TabBar() const { return m_bar; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* m_bar;
};
