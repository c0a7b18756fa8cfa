#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/corvane_text_dlg.h"
#include "app/message_box.h"
#include "app/text_pane.h"
#include "common/unique_number.h"
#include "platform/text_codec.h"
#include "tests/support/recorder.h"
#include "tests/support/temp_dir.h"

namespace testing_support {

// GBK bytes of a text written in the test (these sources are not compiled to GBK).
inline std::string Gbk(const char16_t* text) { return platform::Utf16ToGbk(text); }

// Types text as key events that carry it, one character at a time.
inline void Type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A main window in a fresh folder, its library the recording stand-in (or `library`), its
// message boxes collected instead of shown, and order numbers from a fixed clock.
class WindowTest : public testing::Test {
protected:
    void Open(const std::string& library = RECORDING_LIBRARY) {
        ::setenv("CORVANETEXT_PAYLIB", library.c_str(), 1);
        SetMessageBoxHookForTesting([this](const MessageBoxRequest& r) { messages_.push_back(r); });
        dlg_ = std::make_unique<CCorvaneTextDlg>();
        dlg_->OnInitDialog();
        dlg_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
        recorder_ = std::make_unique<Recorder>(RECORDING_LIBRARY);
    }
    void TearDown() override {
        dlg_.reset();
        recorder_.reset();
        SetMessageBoxHookForTesting({});
        SetUniqueNumberClockForTesting({});
        ::unsetenv("CORVANETEXT_PAYLIB");
    }
    void FixClock() {
        SetUniqueNumberClockForTesting(
            {[] { return std::time_t(1700000000); },
             [] { return platform::LocalTime{2026, 12, 11, 9, 7, 2, 45}; }});
    }
    // Lets posted messages arrive.
    static void Settle() { QCoreApplication::processEvents(); }

    std::string Request() const { return dlg_->m_reqEdit->GbkText(); }
    std::string Response() const { return dlg_->m_respEdit->GbkText(); }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    std::unique_ptr<CCorvaneTextDlg> dlg_;
    std::unique_ptr<Recorder> recorder_;
    std::vector<MessageBoxRequest> messages_;
};

}  // namespace testing_support
