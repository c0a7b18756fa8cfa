#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    app.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
