#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "app/business_table.h"
#include "common/unique_number.h"
#include "gui/config_tree.h"
#include "gui/corvane_text_dlg.h"
#include "gui/message_box.h"
#include "gui/page_frame.h"
#include "gui/tab_ctrl.h"
#include "gui/text_pane.h"
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
        recorder_ = std::make_unique<Recorder>();
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

    std::string Request() const { return Pane("1002")->GbkText(); }
    std::string Response() const { return Pane("1003")->GbkText(); }

    // The window's controls, found by their ids and the pages by their class names.
    template <class T>
    T* Child(const char* name) const {
        T* child = dlg_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    TextPane* Pane(const char* id) const { return Child<TextPane>(id); }
    CTabCtrl* Tab() const { return Child<CTabCtrl>("1000"); }
    CConfigTree* Tree() const { return Child<CConfigTree>("1001"); }
    QPushButton* RequestButton() const { return Child<QPushButton>("1004"); }
    CPageFrame* Page(int index) const { return Child<CPageFrame>(kPages[index].className); }
    std::array<CPageFrame*, 4> Pages() const { return {Page(0), Page(1), Page(2), Page(3)}; }
    static QLineEdit* Edit(CPageFrame* page, int index) {
        return page->findChild<QLineEdit*>(QString::number(page->Definition().editIds[index]));
    }
    // A page's radio buttons, left to right, with their businesses.
    static std::vector<std::pair<QRadioButton*, const Business*>> Radios(CPageFrame* page) {
        std::vector<std::pair<QRadioButton*, const Business*>> radios;
        for (const Business& b : Businesses())
            if (b.message == page->Definition().message)
                radios.emplace_back(page->findChild<QRadioButton*>(QString::number(b.radioId)), &b);
        std::sort(radios.begin(), radios.end(),
                  [](auto& a, auto& b) { return a.second->radioId < b.second->radioId; });
        return radios;
    }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    std::unique_ptr<CCorvaneTextDlg> dlg_;
    std::unique_ptr<Recorder> recorder_;
    std::vector<MessageBoxRequest> messages_;
};

}  // namespace testing_support
