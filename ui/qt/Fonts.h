// The window font and the memo's fixed-pitch font. The designed faces are
// asked for first; where they are not installed, the Japanese faces that
// Linux distributions ship come next, then whatever fontconfig offers for
// Japanese text.
#pragma once

#include <QFont>

namespace tarnwell::ui::qt {

QFont WindowFont();
QFont MemoFont();
// Positions and sizes were designed for a 12-pixel window font: the factor
// by which the real font's text height differs.
double LayoutScale(const QFont& windowFont);

}  // namespace tarnwell::ui::qt
