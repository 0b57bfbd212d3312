#include "dialog_units.h"

#include <algorithm>

namespace telorad::qt {
namespace {

int Scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

}  // namespace

DialogUnits::DialogUnits(const QFontMetrics& metrics) {
    // The average width of the 52 Latin letters, as the dialog manager measures its font.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return {Scale(x, baseX_, 4), Scale(y, baseY_, 8), Scale(width, baseX_, 4),
            Scale(height, baseY_, 8)};
}

QSize DialogUnits::ToPixels(int width, int height) const {
    return {Scale(width, baseX_, 4), Scale(height, baseY_, 8)};
}

}  // namespace telorad::qt
