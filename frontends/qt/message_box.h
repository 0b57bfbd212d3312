#pragma once
// Message boxes owned by the main window. Qt sizes a box by its text alone, so a short text
// under a longer caption ("Error!", "About Telorad client") would leave the caption cut in the
// title bar; a box here is at least wide enough for its whole caption.
#include <QtCore/QString>

class QWidget;

namespace telorad::qt {

enum class BoxIcon { None, Warning };

// The width a title bar needs for the caption beside its icon and buttons, in logical pixels.
int CaptionWidth(const QWidget& box, const QString& caption);

// Runs the box modally with a single OK button; returns when the user closed it.
void RunMessageBox(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon);

}  // namespace telorad::qt
