#pragma once
// Dialog layouts are given in dialog units: a quarter of the font's average character width
// across, an eighth of its height down. This turns them into pixels for a dialog's font.
#include <QtCore/QRect>
#include <QtGui/QFontMetrics>

namespace telorad::qt {

class DialogUnits {
  public:
    explicit DialogUnits(const QFontMetrics& metrics);
    QRect ToPixels(int x, int y, int width, int height) const;
    QSize ToPixels(int width, int height) const;

  private:
    int baseX_;
    int baseY_;
};

}  // namespace telorad::qt
