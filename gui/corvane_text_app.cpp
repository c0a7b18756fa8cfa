#include "gui/corvane_text_app.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>

#include "gui/corvane_text_dlg.h"
#include "gui/version.h"

std::string PayLibraryOverride() {
    const char* path = std::getenv("CORVANETEXT_PAYLIB");
    return path != nullptr ? path : "";
}

LibraryMode PayLibraryMode() {
    const char* inProcess = std::getenv("CORVANETEXT_IN_PROCESS");
    return inProcess != nullptr && *inProcess != '\0' && std::string(inProcess) != "0"
               ? LibraryMode::InProcess
               : LibraryMode::OutOfProcess;
}

namespace detail {

PayLibraryPreload::PayLibraryPreload() {
    std::string library =
        PayLibraryOverride().empty() ? DefaultPayLibraryPath() : PayLibraryOverride();
    if (PayLibraryMode() == LibraryMode::InProcess)
        preload = std::make_unique<platform::LibraryPreload>(library);
    else
        PrestartPayHost(library);
}

}  // namespace detail

bool InstallChineseTranslations() {
    static QTranslator translator;
    static const bool loaded =
        translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) QCoreApplication::installTranslator(&translator);
    return loaded;
}

CCorvaneTextApp::CCorvaneTextApp(int& argc, char** argv) : QApplication(argc, argv) {
    InstallChineseTranslations();
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
    Release();  // the window holds the library now
    dlg.exec();
    return 0;
}
