#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "pages/page_table.h"

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class DialogUnits;
struct Business;

// One business page: the three back-end parameters, mirrored into the tool's ini file at every
// change, and a row of radio buttons that each post the page's message to the owner.
class CPageFrame {
public:
    CPageFrame(QObject* owner, const PageSpec& page);
    virtual ~CPageFrame();
    CPageFrame(const CPageFrame&) = delete;
    CPageFrame& operator=(const CPageFrame&) = delete;

    // Creates the page's widget inside `parent` and loads its parameters.
    void Create(QWidget* parent, const DialogUnits& units);

    QWidget* Widget() const { return m_wnd; }

    // Places the page; a radio row that would fall below the visible part is lifted into it.
    void Place(const QRect& rect);

    // The page parameters (GBK): server address, application id, application secret.
    const std::string& ServerAddress() const { return m_params[0]; }
    const std::string& AppId() const { return m_params[1]; }
    const std::string& AppSecret() const { return m_params[2]; }

    QLineEdit* Edit(int index) const { return m_edits[index]; }
    // The radio buttons, left to right, with their businesses.
    const std::vector<std::pair<QAbstractButton*, const Business*>>& Radios() const {
        return m_radios;
    }

    // Called when an ini write fails; the window reports it.
    std::function<void(const std::string& error)> onWriteFailed;

private:
    void OnInitDialog();
    void OnParameterChanged(int index);
    void OnBusinessClicked(const Business& business);

    QObject* m_owner;
    const PageSpec& m_page;
    QPointer<QWidget> m_wnd;
    std::array<QLineEdit*, 3> m_edits{};
    std::array<std::string, 3> m_params;
    QButtonGroup* m_group = nullptr;
    std::vector<std::pair<QAbstractButton*, const Business*>> m_radios;
};

class DlgReCharge : public CPageFrame {
public:
    explicit DlgReCharge(QObject* owner) : CPageFrame(owner, kPages[kRechargePage]) {}
};

class DlgRefund : public CPageFrame {
public:
    explicit DlgRefund(QObject* owner) : CPageFrame(owner, kPages[kRefundPage]) {}
};

class DlgProt : public CPageFrame {
public:
    explicit DlgProt(QObject* owner) : CPageFrame(owner, kPages[kWristbandPage]) {}
};

class CDlgMMPAYMsg : public CPageFrame {
public:
    explicit CDlgMMPAYMsg(QObject* owner) : CPageFrame(owner, kPages[kPushPage]) {}
};
