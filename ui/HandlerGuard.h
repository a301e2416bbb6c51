// How an error that escapes an event handler reaches the user: the handler
// ends where it stands, the error box shows the error's text, and the
// program goes on with the window as the handler left it.
#pragma once

#include <functional>
#include <string>

#include "ui/Controls.h"

namespace tarnwell::ui {

// The error box's text: the message with "." appended when it is not empty
// and its last character has a greater code than ".".
std::string ErrorBoxText(const std::string& message);

// Calls `handler`; whatever it throws ends up in `boxes`' error box.
void RunHandler(MessageBoxes& boxes, const std::function<void()>& handler);

}  // namespace tarnwell::ui
