#pragma once

#include <QApplication>

// Starts the Qt application, runs the main window modally and ends when it closes.
class CCorvaneTextApp : public QApplication {
public:
    CCorvaneTextApp(int& argc, char** argv);
    int InitInstance();
};
