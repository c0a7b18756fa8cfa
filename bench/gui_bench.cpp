// The window under load: a 5,999,999-byte answer (one line, and 100,000 lines), then typing,
// scrolling and switching tabs; keystrokes in a parameter edit; composing from a page message.
// Prints medians in milliseconds. Run under Xvfb (bench/gui.sh).
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/business_table.h"
#include "gui/corvane_text_app.h"
#include "gui/corvane_text_dlg.h"
#include "gui/page_frame.h"
#include "gui/tab_ctrl.h"
#include "gui/text_pane.h"
#include "pages/page_table.h"
#include "platform/text_codec.h"

namespace {

double Ms(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Waits until everything queued, painting included, has been done.
void Settle(QWidget* w) {
    w->repaint();
    QCoreApplication::processEvents();
}

std::string Answer(bool oneLine) {
    // A JSON-like answer with GBK text, exactly 5,999,999 bytes.
    std::string unit = oneLine ? "{\"name\":\"\xCD\xF5\xD0\xA1\xCE\xE5\",\"v\":\"0123456789\"},"
                               : "{\"name\":\"\xCD\xF5\xD0\xA1\xCE\xE5\",\"v\":\"0123456789\"},\n";
    std::string text;
    text.reserve(6000000);
    while (text.size() + unit.size() <= 5999999) text += unit;
    text.append(5999999 - text.size(), 'x');
    if (!oneLine) {
        // 100,000 lines in all.
        std::size_t lines = std::count(text.begin(), text.end(), '\n');
        for (std::size_t i = text.size() - 1; lines > 99999 && i > 0; --i)
            if (text[i] == '\n') text[i] = ' ', --lines;
    }
    return text;
}

template <class T>
T* Child(CCorvaneTextDlg& dlg, const char* name) {
    return dlg.findChild<T*>(QString::fromLatin1(name));
}

void LargeAnswer(CCorvaneTextDlg& dlg, bool oneLine) {
    std::string answer = Answer(oneLine);
    auto* request = Child<TextPane>(dlg, "1002");
    auto* response = Child<TextPane>(dlg, "1003");
    auto* tab = Child<CTabCtrl>(dlg, "1000");
    double shown = Ms([&] {
        dlg.SetResponseText(answer);
        Settle(response);
    });
    std::vector<double> typing, scrolling, tabs;
    request->setFocus();
    for (int i = 0; i < 30; ++i) {
        typing.push_back(Ms([&] {
            QTest::keyClick(request, Qt::Key_A);
            Settle(request);
        }));
        QScrollBar* bar = response->verticalScrollBar();
        scrolling.push_back(Ms([&] {
            bar->setValue(bar->maximum() * (i % 10) / 10);
            Settle(response);
        }));
        tabs.push_back(Ms([&] {
            tab->SetCurSel((i + 1) % 4);
            Settle(&dlg);
        }));
    }
    response->selectAll();
    double copy = Ms([&] { response->copy(); });
    bool exact = response->GbkText() == answer &&
                 QGuiApplication::clipboard()->text() ==
                     QString::fromStdU16String(platform::GbkToUtf16(answer));
    std::printf(
        "%s answer (%zu bytes): shown %.0f ms; then typing %.2f ms, scrolling %.2f ms, "
        "tab switch %.2f ms (medians); select-all copy %.0f ms, text exact: %s\n",
        oneLine ? "one-line" : "100,000-line", answer.size(), shown, Median(typing),
        Median(scrolling), Median(tabs), copy, exact ? "yes" : "NO");
}

}  // namespace

int main(int argc, char** argv) {
    CCorvaneTextApp app(argc, argv);
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-gui-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    CCorvaneTextDlg dlg;
    dlg.OnInitDialog();
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) return 1;

    std::vector<double> keys;
    auto* recharge = Child<CPageFrame>(dlg, kPages[kRechargePage].className);
    auto* url = recharge->findChild<QLineEdit*>(QString::number(kPages[kRechargePage].editIds[0]));
    for (int i = 0; i < 200; ++i)
        keys.push_back(Ms([&] { QTest::keyClick(url, i % 2 ? Qt::Key_Backspace : Qt::Key_A); }));
    std::printf("parameter edit: %.3f ms per keystroke (median of 200, ini write included)\n",
                Median(keys));

    std::vector<double> compose;
    for (int i = 0; i < 200; ++i) {
        const Business* business = FindBusiness(WM_PAGE_RECHARGE, BIZ_RECHARGE + i % 3);
        compose.push_back(Ms([&] {
            emit recharge->businessChosen(business);
            QCoreApplication::sendPostedEvents(&dlg);
        }));
    }
    std::printf(
        "compose from the page message to the pane: %.3f ms (median of 200, ini reads included)\n",
        Median(compose));

    LargeAnswer(dlg, true);
    LargeAnswer(dlg, false);
    return 0;
}
