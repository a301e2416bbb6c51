// The fonts of the windows.
#include "ui/qt/Fonts.h"

#include <QFontMetricsF>
#include <QStringList>

#include "ui/FormMainLayout.h"

namespace tarnwell::ui::qt {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QFont WindowFont() {
  QFont font;
  font.setFamilies({FromView(FormMainDesign::FontName), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                    QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("Droid Sans Fallback")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(FormMainDesign::FontHeight);
  return font;
}

QFont MemoFont() {
  QFont font;
  // Japanese fixed-pitch faces keep a full-width character at exactly two
  // columns, so the table's columns stay aligned.
  font.setFamilies({FromView(FormMainDesign::MemoFontName), QStringLiteral("IPAGothic"),
                    QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                    QStringLiteral("VL Gothic"), QStringLiteral("monospace")});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(FormMainDesign::MemoFontHeight);
  return font;
}

double LayoutScale(const QFont& windowFont) {
  const double height = QFontMetricsF(windowFont).height();
  return height > 0 ? height / FormMainDesign::FontHeight : 1.0;
}

}  // namespace tarnwell::ui::qt
