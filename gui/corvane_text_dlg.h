#pragma once

#include <QDialog>
#include <QIcon>

#include <array>
#include <string>

#include "bridge/pay_library.h"

class CTabCtrl;
class CConfigTree;
class CPageFrame;
class DlgReCharge;
class DlgRefund;
class DlgProt;
class CDlgMMPAYMsg;
class TextPane;
class QPushButton;
class DialogUnits;
struct Business;

// The main window: four business pages on tabs, the option tree, the tips, request and
// response panes and the request button. Its controls carry their ids as object names
// ("1000" the tab control, "1001" the tree, "1002" to "1005" the panes and the button), the
// pages their class names.
class CCorvaneTextDlg : public QDialog {
    Q_OBJECT

public:
    explicit CCorvaneTextDlg(QWidget* parent = nullptr);
    ~CCorvaneTextDlg() override;

    // Builds everything in order and loads the payment library; a load failure shows its
    // message before the window is shown.
    void OnInitDialog();

    void SetRequestText(const std::string& gbk);
    void SetResponseText(const std::string& gbk);
    void SetTipsText(const std::string& gbk);

    // The index of the page on show, and the charge number of the recharge composed last.
    int CurrentPage() const { return m_nCurPage; }
    const std::string& LastOutChargeNo() const { return m_lastOutChargeNo; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls(const DialogUnits& du);
    void OnPageRecharge(const Business* business);
    void OnPageRefund(const Business* business);
    void OnPageWristband(const Business* business);
    void OnPagePush(const Business* business);
    void ComposeForPage(const CPageFrame& page, const Business* business);
    void OnTcnSelchangeTab();
    void OnBnClickedRequest();
    void OnAbout();
    void ApplyConfigChoice(int group, int choice);
    void ReportWriteFailure(const QString& error);

    // Members, in the order they are built; the library is torn down last. The widgets are
    // owned by their parents.
    CPayLibrary m_payLib;
    DlgReCharge* m_dlgReCharge = nullptr;
    DlgRefund* m_dlgRefund = nullptr;
    DlgProt* m_dlgProt = nullptr;
    CDlgMMPAYMsg* m_dlgMMPAYMsg = nullptr;
    std::array<CPageFrame*, 4> m_pages{};
    int m_nCurPage = 0;
    QIcon m_hIcon;
    CTabCtrl* m_tab = nullptr;
    CConfigTree* m_tree = nullptr;
    TextPane* m_reqEdit = nullptr;
    TextPane* m_respEdit = nullptr;
    TextPane* m_tipsEdit = nullptr;
    QPushButton* m_requestButton = nullptr;
    std::string m_lastOutChargeNo;
    QString m_lastWriteError;
};
