#include "gui/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "gui/dialog_units.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 CorvaneText"));
    DialogUnits du(font());
    setFixedSize(du.X(170), du.Y(62));

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(du.X(20), du.Y(20)));
    icon->setGeometry(du.Rect(14, 14, 21, 20));
    auto* text = new QLabel(QStringLiteral("CorvaneText，1.0 版"), this);
    text->setObjectName(QStringLiteral("version"));
    text->setGeometry(du.Rect(42, 14, 114, 8));
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setGeometry(du.Rect(113, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
