#pragma once

#include <QWidget>

#include <array>
#include <string>
#include <vector>

#include "app/business_table.h"
#include "pages/page_table.h"

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class DialogUnits;

// One business page: the three back-end parameters, mirrored into the tool's ini file at every
// change, and a row of radio buttons, each of which asks the window for its business.
class CPageFrame : public QWidget {
    Q_OBJECT

public:
    CPageFrame(const PageDefinition& page, QWidget* parent);

    // Builds the page's controls and loads its parameters.
    void Create(const DialogUnits& units);

    // Places the page; a radio row that would fall below the visible part is lifted into it.
    void Place(const QRect& rect);

    const PageDefinition& Definition() const { return m_page; }

    // The page parameters (GBK): server address, application id, application secret.
    const std::string& ServerAddress() const { return m_params.serverAddr; }
    const std::string& AppId() const { return m_params.appId; }
    const std::string& AppSecret() const { return m_params.appSecret; }
    const PageParameters& Parameters() const { return m_params; }

signals:
    // A radio button was clicked: the business it stands for.
    void businessChosen(const Business* business);
    // A parameter could not be stored.
    void writeFailed(const QString& error);

private:
    void OnInitDialog();
    void OnParameterChanged(int index);
    std::string& Parameter(int index);

    const PageDefinition& m_page;
    std::array<QLineEdit*, 3> m_edits{};
    PageParameters m_params;
    QButtonGroup* m_group = nullptr;
    std::vector<QAbstractButton*> m_radios;
};

class DlgReCharge : public CPageFrame {
public:
    explicit DlgReCharge(QWidget* parent) : CPageFrame(kPages[kRechargePage], parent) {}
};

class DlgRefund : public CPageFrame {
public:
    explicit DlgRefund(QWidget* parent) : CPageFrame(kPages[kRefundPage], parent) {}
};

class DlgProt : public CPageFrame {
public:
    explicit DlgProt(QWidget* parent) : CPageFrame(kPages[kWristbandPage], parent) {}
};

class CDlgMMPAYMsg : public CPageFrame {
public:
    explicit CDlgMMPAYMsg(QWidget* parent) : CPageFrame(kPages[kPushPage], parent) {}
};
