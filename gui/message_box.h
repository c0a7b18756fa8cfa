#pragma once

#include <QString>

#include <functional>

class QWidget;

// The tool's few message boxes go through here, so that tests can see them instead.
struct MessageBoxRequest {
    QString title;
    QString text;
    QString detail;
};
using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;

// Shows a modal message with an OK button, or hands it to the hook when one is set.
void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request);

void SetMessageBoxHookForTesting(MessageBoxHook hook);
