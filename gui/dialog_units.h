#pragma once

#include <QFont>
#include <QRect>

// Dialog units of a font, converted to pixels as Windows converts them: a horizontal unit is
// a quarter of the font's average character width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int dlu) const { return (dlu * baseX_ + 2) / 4; }
    int Y(int dlu) const { return (dlu * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

private:
    int baseX_;
    int baseY_;
};
