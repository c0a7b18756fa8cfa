#include "gui/corvane_text_app.h"

#include <QFont>

#include <cstdlib>

#include "gui/corvane_text_dlg.h"
#include "gui/version.h"
#include "platform/executable_path.h"

std::string PayLibraryOverride() {
    const char* path = std::getenv("CORVANETEXT_PAYLIB");
    return path != nullptr ? path : "";
}

namespace detail {

PayLibraryPreload::PayLibraryPreload()
    : preload(PayLibraryOverride().empty()
                  ? platform::ExecutableFolder() + platform::PayLibraryRelativePath()
                  : PayLibraryOverride()) {}

}  // namespace detail

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
    preload.Release();  // the window holds the library now
    dlg.exec();
    return 0;
}
