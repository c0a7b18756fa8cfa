#pragma once

#include <QApplication>

#include <string>

#include "platform/dynamic_library.h"

// The payment library CORVANETEXT_PAYLIB names instead of dll/libcorvane.so; empty if unset.
std::string PayLibraryOverride();

namespace detail {
// Starts mapping the payment library before Qt starts, so the two overlap.
struct PayLibraryPreload {
    PayLibraryPreload();
    platform::LibraryPreload preload;
};
}  // namespace detail

// Starts the Qt application, runs the main window modally and ends when it closes.
class CCorvaneTextApp : private detail::PayLibraryPreload, public QApplication {
public:
    CCorvaneTextApp(int& argc, char** argv);
    int InitInstance();
};
