#include "gui/wait_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

int g_showAfterMs = 500;
int g_abandonAfterMs = 15000;

}  // namespace

CWaitDlg::CWaitDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("wait"));
    setWindowTitle(QStringLiteral("CorvaneText"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    m_text = new QLabel(this);
    m_abandon = new QPushButton(QStringLiteral("放弃等待"), this);
    m_abandon->setObjectName(QStringLiteral("abandon"));
    m_abandon->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(new QLabel(
        QStringLiteral("放弃后支付库所在的进程会被结束；请求可能已经到达支付后台，工具不会重发。"),
        this));
    layout->addWidget(m_abandon, 0, Qt::AlignRight);
    connect(m_abandon, &QPushButton::clicked, this, [this] { m_abandoned = true; });
    Update(0);
}

void CWaitDlg::Update(long elapsedMs) {
    m_text->setText(QStringLiteral("正在等待支付库应答……（%1 秒）").arg(elapsedMs / 1000));
    if (elapsedMs >= g_abandonAfterMs) m_abandon->setEnabled(true);
}

int CWaitDlg::ShowAfterMs() { return g_showAfterMs; }

int CWaitDlg::AbandonAfterMs() { return g_abandonAfterMs; }

void CWaitDlg::SetDelaysForTesting(int showAfterMs, int abandonAfterMs) {
    g_showAfterMs = showAfterMs;
    g_abandonAfterMs = abandonAfterMs;
}
