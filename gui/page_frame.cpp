#include "gui/page_frame.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

#include "common/profile.h"
#include "gui/dialog_units.h"
#include "gui/gbk_qt.h"

namespace {

// Label and edit rectangles of the three parameters, in dialog units.
struct ParameterLayout {
    int labelX, labelY, labelWidth;
    bool centred;
    int editX, editY, editWidth;
};
constexpr ParameterLayout kParameterLayout[3] = {
    {29, 31, 116, false, 151, 27, 317},
    {30, 49, 110, true, 150, 45, 318},
    {31, 66, 112, true, 150, 64, 318},
};

// Radio buttons stand in one row; each is as wide as its caption needs, within 33 to 67 units.
constexpr int kRadioX = 29;
constexpr int kRadioY = 119;
constexpr int kRadioGap = 12;

}  // namespace

CPageFrame::CPageFrame(const PageDefinition& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
    setObjectName(QString::fromLatin1(m_page.className));
}

void CPageFrame::Create(const DialogUnits& du) {
    resize(du.X(m_page.widthDlu), du.Y(m_page.heightDlu));

    auto* params = new QGroupBox(FromGbk(kParametersGroupCaption), this);
    params->setGeometry(du.Rect(15, 14, 459, 77));
    for (int i = 0; i < 3; ++i) {
        const ParameterLayout& l = kParameterLayout[i];
        auto* label = new QLabel(FromGbk(kPageParameters[i].label), this);
        label->setGeometry(du.Rect(l.labelX, l.labelY, l.labelWidth, 8));
        if (l.centred) label->setAlignment(Qt::AlignCenter);
        m_edits[i] = new QLineEdit(this);
        m_edits[i]->setGeometry(du.Rect(l.editX, l.editY, l.editWidth, 14));
        m_edits[i]->setObjectName(QString::number(m_page.editIds[i]));
        connect(m_edits[i], &QLineEdit::textChanged, this, [this, i] { OnParameterChanged(i); });
    }

    auto* businesses = new QGroupBox(FromGbk(kBusinessGroupCaption), this);
    businesses->setGeometry(du.Rect(15, 100, 458, 55));
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    std::vector<const Business*> own;
    for (const Business& business : Businesses())
        if (business.message == m_page.message) own.push_back(&business);
    // Button-id order is left to right.
    std::sort(own.begin(), own.end(), [](auto* a, auto* b) { return a->radioId < b->radioId; });
    int x = kRadioX;
    for (const Business* business : own) {
        auto* radio = new QRadioButton(FromGbk(business->caption), this);
        radio->setObjectName(QString::number(business->radioId));
        radio->setFocusPolicy(Qt::ClickFocus);  // no tab stop
        int width = std::clamp(radio->sizeHint().width() * 4 / std::max(du.X(4), 1), 33, 67);
        radio->setGeometry(du.Rect(x, kRadioY, width, 10));
        x += width + kRadioGap;
        m_group->addButton(radio);
        m_radios.push_back(radio);
        connect(radio, &QRadioButton::clicked, this,
                [this, business] { emit businessChosen(business); });
    }
    OnInitDialog();
}

std::string& CPageFrame::Parameter(int index) {
    std::string* params[] = {&m_params.serverAddr, &m_params.appId, &m_params.appSecret};
    return *params[index];
}

void CPageFrame::OnInitDialog() {
    for (int i = 0; i < 3; ++i) {
        const PageParameter& p = kPageParameters[i];
        std::string value = ReadProfileValue(kToolIni, kSettingSection, p.key);
        bool missing = value.empty();
        Parameter(i) = missing ? p.defaultValue : value;
        // Setting the edit's text is a change like any other: the value (or the default) is
        // written back as read, quotes and blanks gone.
        m_edits[i]->setText(FromGbk(Parameter(i)));
    }
    m_group->setExclusive(false);
    for (QAbstractButton* radio : m_radios) radio->setChecked(false);
    m_group->setExclusive(true);
}

void CPageFrame::Place(const QRect& rect) {
    setGeometry(rect);
    for (QAbstractButton* radio : m_radios) {
        QRect r = radio->geometry();
        int lowest = rect.height() - r.height() - 2;
        if (r.top() > lowest) radio->move(r.left(), std::max(lowest, 0));
    }
}

void CPageFrame::OnParameterChanged(int index) {
    Parameter(index) = ToGbk(m_edits[index]->text());
    std::string error;
    if (!WriteProfileValue(kToolIni, kSettingSection, kPageParameters[index].key, Parameter(index),
                           &error))
        emit writeFailed(QString::fromStdString(error));
}
