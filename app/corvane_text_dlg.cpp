#include "app/corvane_text_dlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "app/about_dlg.h"
#include "app/business_table.h"
#include "app/corvane_text_app.h"
#include "app/dialog_units.h"
#include "app/gbk_qt.h"
#include "app/message_box.h"
#include "app/tab_ctrl.h"
#include "app/text_pane.h"
#include "app/tips_text.h"
#include "common/profile.h"
#include "config/config_tree.h"
#include "pages/page_message.h"
#include "pages/requests.h"

namespace {

const QString kAppName = QStringLiteral("CorvaneText");

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CCorvaneTextDlg::CCorvaneTextDlg(QWidget* parent)
    : QDialog(parent),
      m_payLib([this](const LoadFailure& failure) {
          ShowMessageBox(this, {kAppName, FromGbk(failure.message), Utf8(failure.detail)});
      }),
      m_dlgReCharge(this),
      m_dlgRefund(this),
      m_dlgProt(this),
      m_dlgMMPAYMsg(this),
      m_hIcon(QStringLiteral(":/corvanetext.png")) {
    setWindowTitle(QStringLiteral("支付测试程序"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    DialogUnits du(font());
    resize(du.X(641), du.Y(367));
    BuildControls(du);
}

CCorvaneTextDlg::~CCorvaneTextDlg() {
    // Widgets first, in reverse order of building; the pages and the library follow as members.
    delete m_tipsEdit;
    delete m_respEdit;
    delete m_reqEdit;
    delete m_tree;
    delete m_tab;
}

void CCorvaneTextDlg::BuildControls(const DialogUnits& du) {
    auto group = [&](const QString& caption, QRect rect) {
        auto* box = new QGroupBox(caption, this);
        box->setGeometry(rect);
        box->lower();
    };
    m_tab = new CTabCtrl(this);
    m_tab->setGeometry(du.Rect(7, 7, 360, 143));
    group(QStringLiteral("3:选择业务配置"), du.Rect(372, 15, 130, 136));
    group(QStringLiteral("4:友情提示"), du.Rect(512, 15, 115, 135));
    m_tree = new CConfigTree(this);
    m_tree->setGeometry(du.Rect(376, 24, 122, 125));
    group(QStringLiteral("5:点击请求交易"), du.Rect(14, 157, 612, 203));
    m_reqEdit = new TextPane(this);
    m_reqEdit->setObjectName(QStringLiteral("1002"));
    m_reqEdit->setGeometry(du.Rect(22, 168, 279, 173));
    m_respEdit = new TextPane(this);
    m_respEdit->setObjectName(QStringLiteral("1003"));
    m_respEdit->setGeometry(du.Rect(344, 168, 272, 173));
    auto* reqLabel = new QLabel(QStringLiteral("请求报文"), this);
    reqLabel->setGeometry(du.Rect(138, 345, 31, 8));
    auto* respLabel = new QLabel(QStringLiteral("响应报文"), this);
    respLabel->setGeometry(du.Rect(472, 342, 31, 8));
    m_requestButton = new QPushButton(QStringLiteral("请求=>"), this);
    m_requestButton->setGeometry(du.Rect(305, 248, 34, 36));
    // Enter in an edit must never send or close: the button is nobody's default.
    m_requestButton->setAutoDefault(false);
    m_requestButton->setDefault(false);
    m_tipsEdit = new TextPane(this);
    m_tipsEdit->setObjectName(QStringLiteral("1005"));
    m_tipsEdit->setGeometry(du.Rect(516, 26, 105, 121));
    m_tipsEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(m_requestButton, &QPushButton::clicked, this, &CCorvaneTextDlg::OnBnClickedRequest);
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* send = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        send->setContext(Qt::WindowShortcut);
        connect(send, &QShortcut::activated, this, &CCorvaneTextDlg::OnBnClickedRequest);
    }
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, &CCorvaneTextDlg::OnAbout);
}

void CCorvaneTextDlg::OnInitDialog() {
    // The About item lives in the window's context menu (contextMenuEvent) and on F1.
    setWindowIcon(m_hIcon);
    SetTipsText(kTipsText);

    for (int i = 0; i < 4; ++i) m_tab->InsertItem(i, FromGbk(kPages[i].tabText));
    m_tab->SetCurSel(0);

    DialogUnits du(font());
    CPageFrame* pages[] = {&m_dlgReCharge, &m_dlgRefund, &m_dlgProt, &m_dlgMMPAYMsg};
    for (CPageFrame* page : pages) {
        page->onWriteFailed = [this](const std::string& error) { ReportWriteFailure(error); };
        page->Create(m_tab, du);
    }
    QRect client = m_tab->rect().adjusted(0, 30, 0, 0);
    for (CPageFrame* page : pages) page->Place(client);

    for (int i = 0; i < 4; ++i) m_pages[i] = pages[i];
    m_pages[0]->Widget()->show();
    for (int i = 1; i < 4; ++i) m_pages[i]->Widget()->hide();
    m_nCurPage = 0;
    connect(m_tab->TabBar(), &QTabBar::currentChanged, this, &CCorvaneTextDlg::OnTcnSelchangeTab);

    std::string other = PayLibraryOverride();
    if (other.empty())
        m_payLib.Load();
    else
        m_payLib.LoadFrom(other);

    m_tree->onChoicePicked = [this](std::size_t group, std::size_t choice) {
        ApplyConfigChoice(group, choice);
    };
    m_tree->InitConfigTree();
    m_tree->setFocus();
}

void CCorvaneTextDlg::SetRequestText(const std::string& gbk) { m_reqEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::SetResponseText(const std::string& gbk) { m_respEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::SetTipsText(const std::string& gbk) { m_tipsEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::OnTcnSelchangeTab() {
    m_pages[m_nCurPage]->Widget()->hide();
    m_nCurPage = m_tab->GetCurSel();
    m_pages[m_nCurPage]->Widget()->show();
}

void CCorvaneTextDlg::OnBnClickedRequest() {
    std::string request = m_reqEdit->GbkText();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TransactResult result = m_payLib.Transact(request);
    QApplication::restoreOverrideCursor();
    if (result.status == TransactStatus::OutOfMemory) {
        // Nothing was sent; the panes stay as they are.
        ShowMessageBox(this, {kAppName, FromGbk(result.text), {}});
        return;
    }
    SetResponseText(result.text);
}

void CCorvaneTextDlg::OnAbout() {
    CAboutDlg about(this);
    about.setWindowIcon(m_hIcon);
    about.exec();
}

bool CCorvaneTextDlg::event(QEvent* e) {
    int type = static_cast<int>(e->type());
    if (type != WM_PAGE_RECHARGE && type != WM_PAGE_REFUND && type != WM_PAGE_WRISTBAND &&
        type != WM_PAGE_PUSH)
        return QDialog::event(e);
    auto* message = static_cast<PageMessageEvent*>(e);
    switch (type) {
        case WM_PAGE_RECHARGE:
            OnPageRecharge(message->wParam(), message->lParam());
            break;
        case WM_PAGE_REFUND:
            OnPageRefund(message->wParam(), message->lParam());
            break;
        case WM_PAGE_WRISTBAND:
            OnPageWristband(message->wParam(), message->lParam());
            break;
        case WM_PAGE_PUSH:
            OnPagePush(message->wParam(), message->lParam());
            break;
    }
    return true;
}

int CCorvaneTextDlg::OnPageRecharge(int, int lParam) {
    ComposeForPage(WM_PAGE_RECHARGE, lParam);
    return 0;
}

int CCorvaneTextDlg::OnPageRefund(int, int lParam) {
    ComposeForPage(WM_PAGE_REFUND, lParam);
    return 0;
}

int CCorvaneTextDlg::OnPageWristband(int, int lParam) {
    ComposeForPage(WM_PAGE_WRISTBAND, lParam);
    return 0;
}

int CCorvaneTextDlg::OnPagePush(int, int lParam) {
    ComposeForPage(WM_PAGE_PUSH, lParam);
    return 0;
}

void CCorvaneTextDlg::ComposeForPage(int message, int subCode) {
    const Business* business = FindBusiness(message, subCode);
    if (business == nullptr) return;
    BusinessInputs inputs = ReadBusinessInputs(*business);
    if (business->inputs & kNeedsRechargePage) {
        inputs.serverAddr = m_dlgReCharge.ServerAddress();
        inputs.appId = m_dlgReCharge.AppId();
        inputs.appSecret = m_dlgReCharge.AppSecret();
    }
    SetRequestText(ComposeBusiness(*business, inputs, m_lastOutChargeNo));
}

void CCorvaneTextDlg::ApplyConfigChoice(std::size_t group, std::size_t choice) {
    const ConfigGroup& g = kConfigGroups[group];
    std::string error;
    if (!StoreConfigChoice(g.caption, g.choices[choice].caption, &error)) ReportWriteFailure(error);
    if (group != kPosChannelGroup) return;
    std::string depositType = ReadProfileValue(kToolIni, kSettingSection, "DepositType");
    std::string posNo = ReadProfileValue(kToolIni, kSettingSection, "PosNo");
    const std::string posChannl = g.choices[choice].value;
    if (m_nCurPage == kRechargePage)
        SetRequestText(BuildRechargeRequest(posNo, depositType, posChannl, m_lastOutChargeNo));
    else if (m_nCurPage == kRefundPage)
        SetRequestText(BuildPosRefundRequest(posNo, m_lastOutChargeNo, posChannl));
}

void CCorvaneTextDlg::ReportWriteFailure(const std::string& error) {
    // One message per kind of failure, not one per keystroke.
    if (error == m_lastWriteError) return;
    m_lastWriteError = error;
    ShowMessageBox(this, {kAppName, QStringLiteral("设置未能保存"), QString::fromStdString(error)});
}

void CCorvaneTextDlg::keyPressEvent(QKeyEvent* e) {
    // Esc ends the run; Enter never does (it would throw away the request being edited).
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CCorvaneTextDlg::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addSeparator();
    menu.addAction(QStringLiteral("关于 CorvaneText(&A)..."), this, &CCorvaneTextDlg::OnAbout);
    menu.exec(e->globalPos());
}
