#include "gui/message_box.h"

#include <QMessageBox>

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    if (Hook()) {
        Hook()(request);
        return;
    }
    QMessageBox box(QMessageBox::Warning, request.title, request.text, QMessageBox::NoButton,
                    parent);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    if (!request.detail.isEmpty()) box.setInformativeText(request.detail);
    box.exec();
}

void SetMessageBoxHookForTesting(MessageBoxHook hook) { Hook() = std::move(hook); }
