// Which handler of the main window answers which event of which control or
// menu item. Both bindings wire their widgets from this one table, so a new
// binding cannot forget or misroute a handler.
#pragma once

#include <span>
#include <string_view>

#include "ui/frmMain.h"

namespace tarnwell::ui {

enum class ControlEvent {
  Click,    // a button, check box or menu item was clicked
  CloseUp,  // the open list of a drop-down list closed, whether or not it changed
};

struct EventWiring {
  std::string_view Control;  // a name of the control or menu table
  ControlEvent Event;
  void (TFormMain::*Handler)();
};

std::span<const EventWiring> FormMainEvents();

}  // namespace tarnwell::ui
