#include "app/corvane_text_app.h"

#include <QFont>

#include "app/corvane_text_dlg.h"
#include "app/version.h"

CCorvaneTextApp::CCorvaneTextApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("CorvaneText"));
    setApplicationVersion(QStringLiteral(CORVANETEXT_VERSION));
    // A CJK font, 9 points, as the dialogs are designed for.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
}

int CCorvaneTextApp::InitInstance() {
    CCorvaneTextDlg dlg;
    dlg.OnInitDialog();
    dlg.exec();
    return 0;
}
