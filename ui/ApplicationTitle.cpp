// The application title.
#include "ui/ApplicationTitle.h"

namespace tarnwell::ui {

std::string ApplicationTitle(const std::string& executableFileName) {
  std::string title = executableFileName.substr(0, executableFileName.find('.'));
  for (std::size_t i = 1; i < title.size(); ++i) {
    // Bytes of multi-byte UTF-8 characters are left alone.
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
  }
  return title;
}

}  // namespace tarnwell::ui
