#pragma once

#include <QDialog>

// "About CorvaneText": the name and version, and an OK button.
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
