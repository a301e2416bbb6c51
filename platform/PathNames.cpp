// Path text rules for both systems, so each can be tested on either.
#include "platform/PathNames.h"

namespace tarnwell::platform {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsPathSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

std::size_t RootLength(const std::string& path, PathStyle style) {
  const auto separator = [style](char c) { return IsPathSeparator(c, style); };
  if (style == PathStyle::Posix) return !path.empty() && path[0] == '/' ? 1 : 0;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    return path.size() >= 3 && separator(path[2]) ? 3 : 2;
  }
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
    // \\server\share\ : the server and the share belong to the root.
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
      while (end < path.size() && !separator(path[end])) ++end;
      if (end < path.size()) ++end;
    }
    return end;
  }
  return !path.empty() && separator(path[0]) ? 1 : 0;
}

bool IsRootPath(const std::string& path, PathStyle style) {
  const std::size_t root = RootLength(path, style);
  if (root == 0) return false;
  for (std::size_t i = root; i < path.size(); ++i) {
    if (!IsPathSeparator(path[i], style)) return false;
  }
  return true;
}

bool IsAbsolutePath(const std::string& path, PathStyle style) {
  if (style == PathStyle::Posix) return RootLength(path, style) == 1;
  // "C:x" depends on the drive's current folder and "\x" on the current
  // drive: only "C:\..." and "\\server\share" are absolute.
  if (path.size() >= 2 && IsPathSeparator(path[0], style) && IsPathSeparator(path[1], style)) {
    return true;
  }
  return RootLength(path, style) == 3;
}

std::string WithoutClosingSeparators(const std::string& path, PathStyle style) {
  const std::size_t root = RootLength(path, style);
  std::size_t end = path.size();
  while (end > root && IsPathSeparator(path[end - 1], style)) --end;
  return path.substr(0, end);
}

std::string JoinPath(const std::string& folder, const std::string& name, PathStyle style) {
  if (folder.empty()) return name;
  if (IsPathSeparator(folder.back(), style) ||
      (RootLength(folder, style) == folder.size() && folder.back() == ':')) {
    return folder + name;
  }
  return folder + (style == PathStyle::Windows ? '\\' : '/') + name;
}

std::string ParentPath(const std::string& path, PathStyle style) {
  const std::string trimmed = WithoutClosingSeparators(path, style);
  const std::size_t root = RootLength(trimmed, style);
  if (root == trimmed.size()) return root == 0 ? std::string() : trimmed;
  std::size_t cut = trimmed.size();
  while (cut > root && !IsPathSeparator(trimmed[cut - 1], style)) --cut;
  if (cut == 0) return {};
  return WithoutClosingSeparators(trimmed.substr(0, cut), style);
}

std::string ContainingFolder(const std::string& path, PathStyle style) {
  std::string folder = ParentPath(path, style);
  if (folder.empty()) return ".";
  return folder;
}

std::string FileNameOf(const std::string& path, PathStyle style) {
  const std::string trimmed = WithoutClosingSeparators(path, style);
  const std::size_t root = RootLength(trimmed, style);
  std::size_t start = trimmed.size();
  while (start > root && !IsPathSeparator(trimmed[start - 1], style)) --start;
  return trimmed.substr(start);
}

bool IsReservedDeviceName(const std::string& name, PathStyle style) {
  if (style != PathStyle::Windows) return false;
  // The device is named by what stands before the first dot, closing
  // blanks left out: "nul.txt" and "COM1 " are devices too.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$") {
    return true;
  }
  if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) {
    return false;
  }
  const std::string number = base.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\u00B9" ||
         number == "\u00B2" || number == "\u00B3";
}

}  // namespace tarnwell::platform
