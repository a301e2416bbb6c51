// The fonts of the windows on Windows.
#include "ui/win32/WinFonts.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "ui/FormMainLayout.h"
#include "ui/win32/WinControls.h"

namespace tarnwell::ui::win32 {
namespace {

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const std::wstring& face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  if (face.size() >= LF_FACESIZE) return false;
  face.copy(query.lfFaceName, face.size());
  bool found = false;
  HDC dc = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(dc, &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, dc);
  return found;
}

// The first installed face of `faces`; the last one when none is, which the
// font mapper then replaces with the closest it has.
std::wstring FirstInstalled(std::initializer_list<std::wstring> faces) {
  for (const std::wstring& face : faces) {
    if (FaceInstalled(face)) return face;
  }
  return *(faces.end() - 1);
}

// `height` in device pixels.
HFONT CreateAtDeviceHeight(int height, const std::wstring& face, BYTE charSet, BYTE pitch) {
  return ::CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charSet,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch,
                       face.c_str());
}

HFONT Create(int pixelHeight, const std::wstring& face, BYTE charSet, BYTE pitch) {
  return CreateAtDeviceHeight(::MulDiv(pixelHeight, ScreenDpi(), 96), face, charSet, pitch);
}

// The width of a half-width character ("0") in `font`, in device pixels.
int HalfWidthAdvance(HFONT font) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  const bool measured = ::GetTextExtentPoint32W(dc, L"0", 1, &size) != FALSE;
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return measured ? static_cast<int>(size.cx) : 0;
}

std::wstring WindowFace() {
  return FirstInstalled({Wide(FormMainDesign::FontName), L"MS PGothic", L"MS UI Gothic",
                         L"Meiryo UI", L"Yu Gothic UI", L"IPAPGothic", L"IPAexGothic",
                         L"VL PGothic", L"Noto Sans CJK JP", L"Tahoma"});
}

}  // namespace

int ScreenDpi() {
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateWindowFont() {
  return Create(FormMainDesign::FontHeight, WindowFace(), SHIFTJIS_CHARSET,
                DEFAULT_PITCH | FF_SWISS);
}

HFONT CreateMemoFont() {
  // Japanese fixed-pitch faces keep a full-width character at exactly two
  // columns, so the table's columns stay aligned.
  const std::wstring designedFace = Wide(FormMainDesign::MemoFontName);
  const std::wstring face =
      FirstInstalled({designedFace, L"MS Gothic", L"IPAGothic", L"IPAexGothic", L"VL Gothic",
                      L"Noto Sans Mono CJK JP", L"Courier New"});
  constexpr BYTE charSet = DEFAULT_CHARSET, pitch = FIXED_PITCH | FF_MODERN;
  const int designed = ::MulDiv(FormMainDesign::MemoFontHeight, ScreenDpi(), 96);
  if (face == designedFace) return CreateAtDeviceHeight(designed, face, charSet, pitch);
  // A stand-in face at the designed height is wider than FixedSys's cell and
  // the table would wrap: size it by its own measured advance instead.
  const int cell = ::MulDiv(FormMainDesign::MemoCellWidth, ScreenDpi(), 96);
  auto advanceAt = [&](int height) {
    HFONT font = CreateAtDeviceHeight(height, face, charSet, pitch);
    const int advance = HalfWidthAdvance(font);
    ::DeleteObject(font);
    return advance;
  };
  const int atDesigned = advanceAt(designed);
  int height = designed;
  if (atDesigned > 0) {
    height = std::max(1, (designed * cell + atDesigned / 2) / atDesigned);
    // Hinting rounds advances: settle on the largest height that keeps the cell.
    while (height > 1 && advanceAt(height) > cell) --height;
    while (height < designed * 2 && advanceAt(height + 1) <= cell) ++height;
  }
  return CreateAtDeviceHeight(height, face, charSet, pitch);
}

HFONT CreateGroupFont() {
  // 12 points are 16 pixels at 96 dots per inch.
  return Create(16, WindowFace(), SHIFTJIS_CHARSET, DEFAULT_PITCH | FF_SWISS);
}

double LayoutScale(HFONT windowFont) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, windowFont);
  TEXTMETRICW metrics{};
  const bool measured = ::GetTextMetricsW(dc, &metrics) != FALSE;
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  if (!measured || metrics.tmHeight <= 0) return 1.0;
  return static_cast<double>(metrics.tmHeight) / FormMainDesign::FontHeight;
}

}  // namespace tarnwell::ui::win32
