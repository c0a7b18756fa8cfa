#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "app/business_table.h"
#include "app/tips_text.h"
#include "common/profile.h"
#include "gui/about_dlg.h"
#include "gui/config_tree.h"
#include "gui/corvane_text_app.h"
#include "gui/gbk_qt.h"
#include "gui/tab_ctrl.h"
#include "gui/wait_dlg.h"
#include "pages/page_table.h"
#include "pages/requests.h"
#include "tests/gui/window_fixture.h"

namespace {

using testing_support::Gbk;
using testing_support::ReadFileBytes;
using testing_support::WindowTest;

constexpr std::size_t kPosChannelGroup = 3;  // 淮北pos充值渠道

const std::string kDefaults =
    "[SETTING]\nurl=http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi\n"
    "appid=7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS\nappkey=H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE\n";

TEST_F(WindowTest, StartsOnTheRechargePageWithDefaultsAndTips) {
    Open();
    EXPECT_EQ(dlg_->windowTitle(), QStringLiteral("支付测试程序"));
    EXPECT_FALSE(dlg_->windowIcon().pixmap(32).isNull());
    EXPECT_EQ(Tab()->GetCurSel(), 0);
    EXPECT_EQ(dlg_->CurrentPage(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Pages()[i]->isVisible(), i == 0) << i;
    EXPECT_EQ(Pane("1005")->GbkText(), kTipsText);
    EXPECT_EQ(std::string(kTipsText).size(), 99u);
    EXPECT_EQ(ReadFileBytes("Veltrano.ini"), kDefaults);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(Request().empty());
    for (CPageFrame* page : Pages()) {
        EXPECT_EQ(page->ServerAddress(), "http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi");
        for (auto& [radio, business] : Radios(page)) EXPECT_FALSE(radio->isChecked());
    }
}

TEST_F(WindowTest, EachTabShowsExactlyItsPageThirtyPixelsDown) {
    Open();
    dlg_->SetRequestText("kept");
    QTabBar* bar = Tab()->TabBar();
    for (int tab : {1, 2, 3, 0, 2}) {
        bar->setCurrentIndex(tab);
        EXPECT_EQ(dlg_->CurrentPage(), tab);
        for (int i = 0; i < 4; ++i) {
            QWidget* page = Pages()[i];
            EXPECT_EQ(page->isVisible(), i == tab);
            EXPECT_EQ(page->geometry(), Tab()->rect().adjusted(0, 30, 0, 0));
        }
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bar->tabText(i), FromGbk(kPages[i].tabText));
    EXPECT_EQ(Request(), "kept");
}

TEST_F(WindowTest, StoredParametersAreShownAndMissingOnesDefaulted) {
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://h:1301/x");
    WriteProfileValue(kToolIni, kSettingSection, "appkey", "");
    Open();
    for (CPageFrame* page : Pages()) {
        EXPECT_EQ(Edit(page, 0)->text(), QStringLiteral("http://h:1301/x"));
        EXPECT_EQ(Edit(page, 1)->text(), QStringLiteral("7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS"));
        EXPECT_EQ(page->AppSecret(), "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE");
    }
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "url"), "http://h:1301/x");
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "appid"),
              "7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS");
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "appkey"),
              "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE");
}

TEST_F(WindowTest, StoredValuesAreWrittenBackAsReadAtStart) {
    testing_support::WriteFileBytes(
        "Veltrano.ini",
        "[SETTING]\nurl = \"http://q:1301/x\"  \nappid=" + std::string(300, 'i') + "\nappkey=k\n");
    Open();
    EXPECT_EQ(ReadFileBytes("Veltrano.ini"),
              "[SETTING]\nurl = http://q:1301/x\nappid=" + std::string(255, 'i') + "\nappkey=k\n");
    EXPECT_EQ(Page(kRechargePage)->ServerAddress(), "http://q:1301/x");
}

TEST_F(WindowTest, EveryKeystrokeIsWrittenAndOnlyTheTypedPageChanges) {
    Open();
    Tab()->SetCurSel(kRefundPage);
    QLineEdit* url = Edit(Page(kRefundPage), 0);
    url->selectAll();
    QTest::keyClick(url, Qt::Key_Delete);
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "url"), "");
    EXPECT_NE(ReadFileBytes("Veltrano.ini").find("\nurl=\n"), std::string::npos);
    std::string typed;
    for (char c : std::string("http://b")) {
        testing_support::Type(url, QString(QChar(c)));
        typed += c;
        EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "url"), typed);
    }
    testing_support::Type(Edit(Page(kRefundPage), 1), QStringLiteral("中"));
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "appid"),
              "7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS" + Gbk(u"中"));
    EXPECT_EQ(Page(kRefundPage)->ServerAddress(), "http://b");
    EXPECT_EQ(Page(kRechargePage)->ServerAddress(),
              "http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi");
}

TEST_F(WindowTest, EveryRadioPostsItsBusinessAndTheRequestFillsThePane) {
    WriteProfileValue(kToolIni, kSettingSection, "PosChannl", Gbk(u"云闪付"));
    WriteProfileValue(kToolIni, kSettingSection, "DepositType", "WX_QR");
    WriteProfileValue(kLibraryIni, "DIVev", "OPERATORID", "OP1");
    Open();
    FixClock();
    dlg_->SetResponseText("answer");
    std::string last;
    int clicked = 0;
    for (CPageFrame* page : Pages()) {
        Tab()->SetCurSel(PageOf(*Radios(page).front().second));
        for (auto& [radio, business] : Radios(page)) {
            dlg_->SetRequestText("edited by hand");
            QTest::mouseClick(radio, Qt::LeftButton);
            EXPECT_TRUE(radio->isChecked());
            EXPECT_EQ(Request(), "edited by hand") << "the message is queued, not sent";
            Settle();
            BusinessInputs inputs = ReadBusinessInputs(*business);
            inputs.serverAddr = Page(kRechargePage)->ServerAddress();
            inputs.appId = Page(kRechargePage)->AppId();
            inputs.appSecret = Page(kRechargePage)->AppSecret();
            EXPECT_EQ(Request(), ComposeBusiness(*business, inputs, last)) << business->name;
            EXPECT_EQ(dlg_->LastOutChargeNo(), last);
            ++clicked;
        }
    }
    EXPECT_EQ(clicked, 13);
    EXPECT_EQ(Response(), "answer");
    EXPECT_TRUE(recorder_->Requests().empty()) << "composing sends nothing";
}

TEST_F(WindowTest, UnknownSubCodesComposeNothing) {
    Open();
    dlg_->SetRequestText("as it was");
    // Another page's business, and none at all.
    emit Page(kRechargePage)->businessChosen(FindBusiness(WM_PAGE_REFUND, BIZ_REFUND));
    emit Page(kPushPage)->businessChosen(nullptr);
    Settle();
    EXPECT_EQ(Request(), "as it was");
}

TEST_F(WindowTest, RequestButtonPushesSettingsThenSendsThePaneAndShowsTheAnswer) {
    Open();
    const std::string answer = Gbk(u"{\"code\":\"0\",\"msg\":\"成功\"}");
    const std::string request = Gbk(u"{\"transType\":\"x\",\"v\":\"中文\"}\n");
    recorder_->SetAnswer(answer);
    dlg_->SetRequestText(request);
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    std::vector<std::string> sent = recorder_->Requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].find("\"hop.trade.setinfo\""), std::string::npos);
    EXPECT_NE(
        sent[0].find("\"serveraddr\":\"http://127.0.0.1:1301/quenla-web/quenlaweb/quenlaapi\""),
        std::string::npos);
    EXPECT_EQ(sent[1], request);
    EXPECT_EQ(Response(), answer);
    EXPECT_EQ(Request(), request);

    // Ctrl+Enter from anywhere sends too.
    QTest::keyClick(Edit(Page(kRechargePage), 1), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(recorder_->Requests().size(), 4u);
}

TEST_F(WindowTest, PaneSettersLeaveTheCaretAfterTheTextAndSendingCollapsesTheSelection) {
    Open();
    for (auto [set, pane] : {std::pair{&CCorvaneTextDlg::SetRequestText, "1002"},
                             std::pair{&CCorvaneTextDlg::SetResponseText, "1003"},
                             std::pair{&CCorvaneTextDlg::SetTipsText, "1005"}}) {
        (dlg_.get()->*set)("abc\ndef");
        QTextCursor cursor = Pane(pane)->textCursor();
        EXPECT_EQ(cursor.position(), 7) << pane;
        EXPECT_FALSE(cursor.hasSelection()) << pane;
    }
    dlg_->SetRequestText("{\"transType\":\"x\"}");
    Pane("1002")->selectAll();
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    EXPECT_FALSE(Pane("1002")->textCursor().hasSelection());
    EXPECT_EQ(Pane("1002")->textCursor().position(), 17);
    EXPECT_EQ(Request(), "{\"transType\":\"x\"}");
}

TEST_F(WindowTest, EnterNeverClosesTheWindowAndEscDoes) {
    Open();
    QTest::keyClick(Edit(Page(kRechargePage), 0), Qt::Key_Return);
    QTest::keyClick(Tree(), Qt::Key_Return);
    Pane("1002")->setFocus();
    dlg_->SetRequestText("ab");
    Pane("1002")->moveCursor(QTextCursor::End);
    QTest::keyClick(Pane("1002"), Qt::Key_Return);
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(Request(), "ab\n");
    EXPECT_TRUE(recorder_->Requests().empty());
    QTest::keyClick(dlg_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg_->isVisible());
}

TEST_F(WindowTest, ALibraryThatFailsToLoadIsReportedOnceAndTheWindowStillWorks) {
    Open(dir_.file("dll/libcorvane.so"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QStringLiteral("库加载失败126"));
    EXPECT_EQ(messages_[0].title, QStringLiteral("CorvaneText"));
    EXPECT_FALSE(messages_[0].detail.isEmpty());
    EXPECT_TRUE(dlg_->isVisible());

    QTest::mouseClick(Radios(Page(kRechargePage)).front().first, Qt::LeftButton);
    Settle();
    EXPECT_NE(Request().find("hop.trade.recharge"), std::string::npos);
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    EXPECT_NE(Response().find(dir_.file("dll/libcorvane.so")), std::string::npos);
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(WindowTest, PosChannelChoiceRecomposesOnRechargeAndRefundPagesOnly) {
    Open();
    FixClock();
    CConfigTree* tree = Tree();
    auto pick = [&](std::size_t choice) {
        tree->ChoiceItem(kPosChannelGroup, choice)->setCheckState(0, Qt::Checked);
    };
    dlg_->SetRequestText("edited");
    pick(1);  // 云闪付, recharge page on show
    std::string last;
    const std::string unionPayCard = kConfigGroups[kPosChannelGroup].choices[0].value;
    const std::string quickPass = kConfigGroups[kPosChannelGroup].choices[1].value;
    EXPECT_EQ(Request(), BuildRechargeRequest("", "", quickPass, last));
    EXPECT_EQ(dlg_->LastOutChargeNo(), last);

    Tab()->SetCurSel(kRefundPage);
    pick(0);  // 银联卡
    EXPECT_EQ(Request(), BuildPosRefundRequest("", last, unionPayCard));

    for (int page : {kWristbandPage, kPushPage}) {
        Tab()->SetCurSel(page);
        dlg_->SetRequestText("untouched");
        pick(page == kWristbandPage ? 1 : 0);
        EXPECT_EQ(Request(), "untouched");
    }
    Tab()->SetCurSel(kRechargePage);
    tree->ChoiceItem(0, 2)->setCheckState(0, Qt::Checked);  // a DepositType choice
    EXPECT_EQ(Request(), "untouched");
}

TEST_F(WindowTest, ALibraryCrashIsANoticeAndTheNextClickStartsAfresh) {
    Open(MISBEHAVING_LIBRARY);
    testing_support::WriteFileBytes("misbehave", "request crash");
    dlg_->SetRequestText("{\"transType\":\"x\"}");
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(Request(), "{\"transType\":\"x\"}") << "the request pane keeps its text";
    EXPECT_NE(Response().find(Gbk(u"支付库在交易请求时崩溃")), std::string::npos);
    EXPECT_NE(Response().find("SIGSEGV"), std::string::npos);
    std::filesystem::remove("misbehave");
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    EXPECT_EQ(Response(), "{\"code\":\"0\"}");
}

TEST_F(WindowTest, AHangingLibraryCanBeGivenUpOnWhileTheWindowWaits) {
    CWaitDlg::SetDelaysForTesting(50, 200);
    Open(MISBEHAVING_LIBRARY);
    testing_support::WriteFileBytes("misbehave", "request hang");
    dlg_->SetRequestText("hangs");
    bool sawDialog = false;
    // Fires inside the wait, as a user would click once the way out opens.
    std::function<void()> clickAbandon = [&] {
        auto* wait = dlg_->findChild<CWaitDlg*>(QStringLiteral("wait"));
        auto* abandon =
            wait != nullptr ? wait->findChild<QPushButton*>(QStringLiteral("abandon")) : nullptr;
        if (abandon != nullptr && wait->isVisible() && abandon->isEnabled()) {
            sawDialog = true;
            QTest::mouseClick(abandon, Qt::LeftButton);
        } else {
            QTimer::singleShot(20, clickAbandon);
        }
    };
    QTimer::singleShot(20, clickAbandon);
    QTest::mouseClick(RequestButton(), Qt::LeftButton);
    CWaitDlg::SetDelaysForTesting(500, 15000);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(dlg_->findChild<CWaitDlg*>(), nullptr) << "gone with the call";
    EXPECT_NE(Response().find(Gbk(u"已放弃等待")), std::string::npos);
    EXPECT_EQ(Request(), "hangs");
}

TEST_F(WindowTest, AFailedSettingsWriteIsReportedOnce) {
    Open();
    std::filesystem::remove("Veltrano.ini");
    std::filesystem::create_directory("Veltrano.ini");  // the file can no longer be written
    testing_support::Type(Edit(Page(kRechargePage), 1), QStringLiteral("xy"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QStringLiteral("设置未能保存"));
}

}  // namespace

namespace {

TEST(Translations, ThePanesContextMenuSpeaksChinese) {
    ASSERT_TRUE(InstallChineseTranslations());
    TextPane pane;
    std::unique_ptr<QMenu> menu(pane.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_TRUE(texts.join(u'|').contains(QStringLiteral("复制")))
        << texts.join(u'|').toStdString();
    EXPECT_FALSE(texts.join(u'|').contains(QStringLiteral("Undo")));
}

TEST(AboutDlg, ShowsTheNameTheVersionAndAnOkButton) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于 CorvaneText"));
    auto* text = about.findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("CorvaneText，1.0 版"));
    auto* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_TRUE(ok->isDefault());
    about.show();
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
