// Starts, shows a window and ends the process the moment it is exposed: either the tool's main
// window or a minimal Qt dialog, to time the two side by side (bench/startup.sh).
#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <cstring>

#include "gui/corvane_text_app.h"
#include "gui/corvane_text_dlg.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "minimal") == 0) {
        QApplication app(argc, argv);
        app.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
        QDialog dialog;
        QLabel label(QStringLiteral("最小的对话框"), &dialog);
        dialog.show();
        std::_Exit(QTest::qWaitForWindowExposed(&dialog) ? 0 : 1);
    }
    // What InitInstance does, up to the window shown.
    CCorvaneTextApp app(argc, argv);
    CCorvaneTextDlg dlg;
    dlg.OnInitDialog();
    dlg.show();
    // Shown: what comes after (teardown) is no part of start-up, for either probe.
    std::_Exit(QTest::qWaitForWindowExposed(&dlg) ? 0 : 1);
}
