#pragma once

#include <QEvent>

// A business message a page posts to the main window: the event type is the message number
// (WM_PAGE_...), the sub-code travels as the second parameter.
class PageMessageEvent : public QEvent {
public:
    PageMessageEvent(int message, int subCode)
        : QEvent(static_cast<QEvent::Type>(message)), wParam_(message), lParam_(subCode) {}

    int wParam() const { return wParam_; }
    int lParam() const { return lParam_; }

private:
    int wParam_;
    int lParam_;
};
