// The fonts of the windows.
#include "ui/qt/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>

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
  if (QFontDatabase::hasFamily(FromView(FormMainDesign::MemoFontName))) return font;
  // A stand-in face at the designed height is wider than FixedSys's cell and
  // the table would wrap: size it by its own measured advance instead.
  auto advanceAt = [&font](int pixelSize) {
    font.setPixelSize(pixelSize);
    return QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
  };
  const int cell = FormMainDesign::MemoCellWidth;
  const int designed = advanceAt(FormMainDesign::MemoFontHeight);
  if (designed <= 0) return font;
  int size = std::max(1, (FormMainDesign::MemoFontHeight * cell + designed / 2) / designed);
  // Hinting rounds advances: settle on the largest size that keeps the cell.
  while (size > 1 && advanceAt(size) > cell) --size;
  while (size < FormMainDesign::MemoFontHeight * 2 && advanceAt(size + 1) <= cell) ++size;
  font.setPixelSize(size);
  return font;
}

double LayoutScale(const QFont& windowFont) {
  const double height = QFontMetricsF(windowFont).height();
  return height > 0 ? height / FormMainDesign::FontHeight : 1.0;
}

}  // namespace tarnwell::ui::qt
