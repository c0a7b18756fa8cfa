#pragma once

#include <QDialog>
#include <QIcon>

#include <array>
#include <string>

#include "bridge/pay_library.h"
#include "pages/page_frame.h"

class CTabCtrl;
class CConfigTree;
class TextPane;
class QPushButton;
class DialogUnits;

// The main window: four business pages on tabs, the option tree, the tips, request and
// response panes and the request button.
class CCorvaneTextDlg : public QDialog {
public:
    explicit CCorvaneTextDlg(QWidget* parent = nullptr);
    ~CCorvaneTextDlg() override;

    // Builds everything in order and loads the payment library; a load failure shows its
    // message before the window is shown.
    void OnInitDialog();

    void SetRequestText(const std::string& gbk);
    void SetResponseText(const std::string& gbk);
    void SetTipsText(const std::string& gbk);

    void OnBnClickedRequest();
    void OnAbout();

    // Members, in the order they are built; the library is torn down last.
    CPayLibrary m_payLib;
    DlgReCharge m_dlgReCharge;
    DlgRefund m_dlgRefund;
    DlgProt m_dlgProt;
    CDlgMMPAYMsg m_dlgMMPAYMsg;
    std::array<CPageFrame*, 4> m_pages{};
    int m_nCurPage = 0;
    QIcon m_hIcon;
    CTabCtrl* m_tab;
    CConfigTree* m_tree;
    TextPane* m_reqEdit;
    TextPane* m_respEdit;
    TextPane* m_tipsEdit;
    QPushButton* m_requestButton;
    std::string m_lastOutChargeNo;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls(const DialogUnits& du);
    int OnPageRecharge(int wParam, int lParam);
    int OnPageRefund(int wParam, int lParam);
    int OnPageWristband(int wParam, int lParam);
    int OnPagePush(int wParam, int lParam);
    void ComposeForPage(int message, int subCode);
    void OnTcnSelchangeTab();
    void ApplyConfigChoice(std::size_t group, std::size_t choice);
    void ReportWriteFailure(const std::string& error);

    std::string m_lastWriteError;
};
