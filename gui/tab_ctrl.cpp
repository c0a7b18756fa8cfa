#include "gui/tab_ctrl.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

CTabCtrl::CTabCtrl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
}

void CTabCtrl::InsertItem(int index, const QString& text) {
    m_bar->insertTab(index, text);
    m_bar->resize(m_bar->sizeHint().width(), m_bar->sizeHint().height());
}

int CTabCtrl::GetCurSel() const { return m_bar->currentIndex(); }

void CTabCtrl::SetCurSel(int index) { m_bar->setCurrentIndex(index); }

void CTabCtrl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    int top = m_bar->height() - 1;
    frame.rect = rect().adjusted(0, top, 0, 0);
    frame.tabBarSize = m_bar->size();
    frame.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
