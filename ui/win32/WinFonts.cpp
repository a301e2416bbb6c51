// The fonts of the windows on Windows.
#include "ui/win32/WinFonts.h"

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

HFONT Create(int pixelHeight, const std::wstring& face, BYTE charSet, BYTE pitch) {
  return ::CreateFontW(-::MulDiv(pixelHeight, ScreenDpi(), 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                       FALSE, charSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       pitch, face.c_str());
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
  const std::wstring face =
      FirstInstalled({Wide(FormMainDesign::MemoFontName), L"MS Gothic", L"IPAGothic",
                      L"IPAexGothic", L"VL Gothic", L"Noto Sans Mono CJK JP", L"Courier New"});
  return Create(FormMainDesign::MemoFontHeight, face, DEFAULT_CHARSET, FIXED_PITCH | FF_MODERN);
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
