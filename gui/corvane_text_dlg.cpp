#include "gui/corvane_text_dlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "app/business_table.h"
#include "app/tips_text.h"
#include "config/config_options.h"
#include "gui/about_dlg.h"
#include "gui/config_tree.h"
#include "gui/corvane_text_app.h"
#include "gui/dialog_units.h"
#include "gui/gbk_qt.h"
#include "gui/message_box.h"
#include "gui/page_frame.h"
#include "gui/tab_ctrl.h"
#include "gui/text_pane.h"
#include "gui/wait_dlg.h"

namespace {

const QString kAppName = QStringLiteral("CorvaneText");

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// Outside any namespace, as Q_INIT_RESOURCE requires.
static QIcon ApplicationIcon() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(corvanetext);
        return true;
    }();
    (void)registered;
    return QIcon(QStringLiteral(":/corvanetext.png"));
}

CCorvaneTextDlg::CCorvaneTextDlg(QWidget* parent)
    : QDialog(parent),
      m_payLib(
          [this](const LoadFailure& failure) {
              ShowMessageBox(this, {kAppName, FromGbk(failure.message), Utf8(failure.detail)});
          },
          PayLibraryMode()),
      m_hIcon(ApplicationIcon()) {
    setWindowTitle(QStringLiteral("支付测试程序"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    DialogUnits du(font());
    resize(du.X(641), du.Y(367));
    BuildControls(du);
}

// The library is released with the members, then the QDialog base deletes the widgets; no
// widget calls the library on its way out.
CCorvaneTextDlg::~CCorvaneTextDlg() = default;

void CCorvaneTextDlg::BuildControls(const DialogUnits& du) {
    auto group = [&](const QString& caption, QRect rect) {
        auto* box = new QGroupBox(caption, this);
        box->setGeometry(rect);
        box->lower();
    };
    m_tab = new CTabCtrl(this);
    m_tab->setObjectName(QStringLiteral("1000"));
    m_dlgReCharge = new DlgReCharge(m_tab);
    m_dlgRefund = new DlgRefund(m_tab);
    m_dlgProt = new DlgProt(m_tab);
    m_dlgMMPAYMsg = new CDlgMMPAYMsg(m_tab);
    m_tab->setGeometry(du.Rect(7, 7, 360, 143));
    group(QStringLiteral("3:选择业务配置"), du.Rect(372, 15, 130, 136));
    group(QStringLiteral("4:友情提示"), du.Rect(512, 15, 115, 135));
    m_tree = new CConfigTree(this);
    m_tree->setObjectName(QStringLiteral("1001"));
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
    m_requestButton->setObjectName(QStringLiteral("1004"));
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
    CPageFrame* pages[] = {m_dlgReCharge, m_dlgRefund, m_dlgProt, m_dlgMMPAYMsg};
    for (CPageFrame* page : pages) {
        connect(page, &CPageFrame::writeFailed, this, &CCorvaneTextDlg::ReportWriteFailure);
        page->Create(du);
    }
    // Business choices arrive queued, after the click has been handled.
    connect(m_dlgReCharge, &CPageFrame::businessChosen, this, &CCorvaneTextDlg::OnPageRecharge,
            Qt::QueuedConnection);
    connect(m_dlgRefund, &CPageFrame::businessChosen, this, &CCorvaneTextDlg::OnPageRefund,
            Qt::QueuedConnection);
    connect(m_dlgProt, &CPageFrame::businessChosen, this, &CCorvaneTextDlg::OnPageWristband,
            Qt::QueuedConnection);
    connect(m_dlgMMPAYMsg, &CPageFrame::businessChosen, this, &CCorvaneTextDlg::OnPagePush,
            Qt::QueuedConnection);
    QRect client = m_tab->rect().adjusted(0, 30, 0, 0);
    for (CPageFrame* page : pages) page->Place(client);

    for (int i = 0; i < 4; ++i) m_pages[i] = pages[i];
    m_pages[0]->show();
    for (int i = 1; i < 4; ++i) m_pages[i]->hide();
    m_nCurPage = 0;
    connect(m_tab->TabBar(), &QTabBar::currentChanged, this, &CCorvaneTextDlg::OnTcnSelchangeTab);

    std::string other = PayLibraryOverride();
    if (other.empty())
        m_payLib.Load();
    else
        m_payLib.LoadFrom(other);

    connect(m_tree, &CConfigTree::choicePicked, this, &CCorvaneTextDlg::ApplyConfigChoice);
    m_tree->InitConfigTree();
    m_tree->setFocus();
}

void CCorvaneTextDlg::SetRequestText(const std::string& gbk) { m_reqEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::SetResponseText(const std::string& gbk) { m_respEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::SetTipsText(const std::string& gbk) { m_tipsEdit->SetGbkText(gbk); }

void CCorvaneTextDlg::OnTcnSelchangeTab() {
    m_pages[m_nCurPage]->hide();
    m_nCurPage = m_tab->GetCurSel();
    m_pages[m_nCurPage]->show();
}

void CCorvaneTextDlg::OnBnClickedRequest() {
    m_reqEdit->moveCursor(QTextCursor::End);  // the selection collapses at the end
    std::string request = m_reqEdit->GbkText();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // While the library works the window repaints but takes no input; after a moment a modal
    // dialog says that it waits, and later offers to give the call up.
    std::unique_ptr<CWaitDlg> wait;
    m_payLib.SetWaitHook([&](long elapsedMs) {
        if (elapsedMs < CWaitDlg::ShowAfterMs()) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        if (!wait) {
            wait = std::make_unique<CWaitDlg>(this);
            wait->show();
        }
        wait->Update(elapsedMs);
        QCoreApplication::processEvents();
        return !wait->Abandoned();
    });
    TransactResult result = m_payLib.Transact(request);
    m_payLib.SetWaitHook({});
    wait.reset();
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

void CCorvaneTextDlg::OnPageRecharge(const Business* business) {
    ComposeForPage(*m_dlgReCharge, business);
}

void CCorvaneTextDlg::OnPageRefund(const Business* business) {
    ComposeForPage(*m_dlgRefund, business);
}

void CCorvaneTextDlg::OnPageWristband(const Business* business) {
    ComposeForPage(*m_dlgProt, business);
}

void CCorvaneTextDlg::OnPagePush(const Business* business) {
    ComposeForPage(*m_dlgMMPAYMsg, business);
}

void CCorvaneTextDlg::ComposeForPage(const CPageFrame& page, const Business* business) {
    // A business the page does not offer composes nothing.
    if (business == nullptr || business->message != page.Definition().message) return;
    SetRequestText(ComposeRequest(*business, m_dlgReCharge->Parameters(), m_lastOutChargeNo));
}

void CCorvaneTextDlg::ApplyConfigChoice(int group, int choice) {
    const ConfigGroup& g = kConfigGroups[static_cast<std::size_t>(group)];
    const ConfigChoice& picked = g.choices[static_cast<std::size_t>(choice)];
    std::string error;
    if (!StoreConfigChoice(g.caption, picked.caption, &error))
        ReportWriteFailure(QString::fromStdString(error));
    if (!g.recomposesRequest) return;
    if (const Business* business = BusinessRecomposedOn(m_nCurPage)) {
        const std::string posChannl = picked.value;
        SetRequestText(
            ComposeRequest(*business, m_dlgReCharge->Parameters(), m_lastOutChargeNo, &posChannl));
    }
}

void CCorvaneTextDlg::ReportWriteFailure(const QString& error) {
    // One message per kind of failure, not one per keystroke.
    if (error == m_lastWriteError) return;
    m_lastWriteError = error;
    ShowMessageBox(this, {kAppName, QStringLiteral("设置未能保存"), error});
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
