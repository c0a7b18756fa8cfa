#include "pages/page_frame.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

#include "app/business_table.h"
#include "app/dialog_units.h"
#include "app/gbk_qt.h"
#include "common/profile.h"
#include "pages/page_message.h"

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

CPageFrame::CPageFrame(QObject* owner, const PageSpec& page) : m_owner(owner), m_page(page) {}

CPageFrame::~CPageFrame() { delete m_wnd.data(); }

void CPageFrame::Create(QWidget* parent, const DialogUnits& du) {
    m_wnd = new QWidget(parent);
    m_wnd->setObjectName(QString::fromLatin1(m_page.className));
    m_wnd->resize(du.X(m_page.widthDlu), du.Y(m_page.heightDlu));

    auto* params = new QGroupBox(FromGbk(kParametersGroupCaption), m_wnd);
    params->setGeometry(du.Rect(15, 14, 459, 77));
    for (int i = 0; i < 3; ++i) {
        const ParameterLayout& l = kParameterLayout[i];
        auto* label = new QLabel(FromGbk(kPageParameters[i].label), m_wnd);
        label->setGeometry(du.Rect(l.labelX, l.labelY, l.labelWidth, 8));
        if (l.centred) label->setAlignment(Qt::AlignCenter);
        m_edits[i] = new QLineEdit(m_wnd);
        m_edits[i]->setGeometry(du.Rect(l.editX, l.editY, l.editWidth, 14));
        m_edits[i]->setObjectName(QString::number(m_page.editIds[i]));
        QObject::connect(m_edits[i], &QLineEdit::textChanged, m_wnd,
                         [this, i] { OnParameterChanged(i); });
    }

    auto* businesses = new QGroupBox(FromGbk(kBusinessGroupCaption), m_wnd);
    businesses->setGeometry(du.Rect(15, 100, 458, 55));
    m_group = new QButtonGroup(m_wnd);
    m_group->setExclusive(true);
    std::vector<const Business*> own;
    for (const Business& business : Businesses())
        if (business.message == m_page.message) own.push_back(&business);
    // Button-id order is left to right.
    std::sort(own.begin(), own.end(), [](auto* a, auto* b) { return a->radioId < b->radioId; });
    int x = kRadioX;
    for (const Business* business : own) {
        auto* radio = new QRadioButton(FromGbk(business->caption), m_wnd);
        radio->setObjectName(QString::number(business->radioId));
        radio->setFocusPolicy(Qt::ClickFocus);  // no tab stop
        int width = std::clamp(radio->sizeHint().width() * 4 / std::max(du.X(4), 1), 33, 67);
        radio->setGeometry(du.Rect(x, kRadioY, width, 10));
        x += width + kRadioGap;
        m_group->addButton(radio);
        m_radios.emplace_back(radio, business);
        QObject::connect(radio, &QRadioButton::clicked, m_wnd,
                         [this, business] { OnBusinessClicked(*business); });
    }
    OnInitDialog();
}

void CPageFrame::OnInitDialog() {
    for (int i = 0; i < 3; ++i) {
        const PageParameter& p = kPageParameters[i];
        std::string value = ReadProfileValue(kToolIni, kSettingSection, p.key);
        bool missing = value.empty();
        m_params[i] = missing ? p.defaultValue : value;
        {
            // The stored value is shown as it is; only a default is written back.
            QSignalBlocker quiet(m_edits[i]);
            m_edits[i]->setText(FromGbk(m_params[i]));
        }
        if (missing) OnParameterChanged(i);
    }
    m_group->setExclusive(false);
    for (auto& [radio, business] : m_radios) radio->setChecked(false);
    m_group->setExclusive(true);
}

void CPageFrame::Place(const QRect& rect) {
    m_wnd->setGeometry(rect);
    for (auto& [radio, business] : m_radios) {
        QRect r = radio->geometry();
        int lowest = rect.height() - r.height() - 2;
        if (r.top() > lowest) radio->move(r.left(), std::max(lowest, 0));
    }
}

void CPageFrame::OnParameterChanged(int index) {
    m_params[index] = ToGbk(m_edits[index]->text());
    std::string error;
    if (!WriteProfileValue(kToolIni, kSettingSection, kPageParameters[index].key, m_params[index],
                           &error) &&
        onWriteFailed)
        onWriteFailed(error);
}

void CPageFrame::OnBusinessClicked(const Business& business) {
    QCoreApplication::postEvent(m_owner, new PageMessageEvent(m_page.message, business.subCode));
}
