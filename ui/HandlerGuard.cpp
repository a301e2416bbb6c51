// The error box for errors that escape a handler.
#include "ui/HandlerGuard.h"

#include <exception>

#include "ui/FormTexts.h"

namespace tarnwell::ui {

std::string ErrorBoxText(const std::string& message) {
  if (message.empty()) return message;
  // UTF-8: any byte of a multi-byte character is above "." as well.
  const auto last = static_cast<unsigned char>(message.back());
  return last > '.' ? message + "." : message;
}

void RunHandler(MessageBoxes& boxes, const std::function<void()>& handler) {
  std::string text;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    text = error.what();
  } catch (...) {
    text = CommonTexts::UnknownError;
  }
  // Shown outside the catch block: the box runs a nested event loop.
  boxes.ShowError(ErrorBoxText(text));
}

}  // namespace tarnwell::ui
