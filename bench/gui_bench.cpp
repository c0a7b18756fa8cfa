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

#include "app/corvane_text_app.h"
#include "app/corvane_text_dlg.h"
#include "app/tab_ctrl.h"
#include "app/text_pane.h"
#include "pages/page_message.h"
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

void LargeAnswer(CCorvaneTextDlg& dlg, bool oneLine) {
    std::string answer = Answer(oneLine);
    double shown = Ms([&] {
        dlg.SetResponseText(answer);
        Settle(dlg.m_respEdit);
    });
    std::vector<double> typing, scrolling, tabs;
    dlg.m_reqEdit->setFocus();
    for (int i = 0; i < 30; ++i) {
        typing.push_back(Ms([&] {
            QTest::keyClick(dlg.m_reqEdit, Qt::Key_A);
            Settle(dlg.m_reqEdit);
        }));
        QScrollBar* bar = dlg.m_respEdit->verticalScrollBar();
        scrolling.push_back(Ms([&] {
            bar->setValue(bar->maximum() * (i % 10) / 10);
            Settle(dlg.m_respEdit);
        }));
        tabs.push_back(Ms([&] {
            dlg.m_tab->SetCurSel((i + 1) % 4);
            Settle(&dlg);
        }));
    }
    dlg.m_respEdit->selectAll();
    double copy = Ms([&] { dlg.m_respEdit->copy(); });
    bool exact = dlg.m_respEdit->GbkText() == answer &&
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
    QLineEdit* url = dlg.m_dlgReCharge.Edit(0);
    for (int i = 0; i < 200; ++i)
        keys.push_back(Ms([&] { QTest::keyClick(url, i % 2 ? Qt::Key_Backspace : Qt::Key_A); }));
    std::printf("parameter edit: %.3f ms per keystroke (median of 200, ini write included)\n",
                Median(keys));

    std::vector<double> compose;
    for (int i = 0; i < 200; ++i) {
        int code = BIZ_RECHARGE + i % 3;
        compose.push_back(Ms([&] {
            QCoreApplication::postEvent(&dlg, new PageMessageEvent(WM_PAGE_RECHARGE, code));
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
