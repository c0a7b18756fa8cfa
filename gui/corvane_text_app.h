#pragma once

#include <QApplication>

#include <string>

#include <memory>

#include "bridge/pay_library.h"
#include "platform/dynamic_library.h"

// The payment library CORVANETEXT_PAYLIB names instead of the one in dll/; empty if unset.
std::string PayLibraryOverride();

// In process when CORVANETEXT_IN_PROCESS is set (to anything but 0), for a debugger; else in
// corvane-host.
LibraryMode PayLibraryMode();

namespace detail {
// Starts the library's host, or maps the library in process, before Qt starts, so that the
// two overlap.
struct PayLibraryPreload {
    PayLibraryPreload();
    std::unique_ptr<platform::LibraryPreload> preload;
    void Release() {
        if (preload) preload->Release();
    }
};
}  // namespace detail

// Loads Qt's own Chinese texts (context menus, standard buttons) for the application;
// false when they are not installed.
bool InstallChineseTranslations();

// Starts the Qt application, runs the main window modally and ends when it closes.
class CCorvaneTextApp : private detail::PayLibraryPreload, public QApplication {
public:
    CCorvaneTextApp(int& argc, char** argv);
    int InitInstance();
};
