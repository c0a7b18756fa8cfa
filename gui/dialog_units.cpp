#include "gui/dialog_units.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as the Windows dialog manager takes it.
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = metrics.height();
}
