// The main window's event table.
#include "ui/FormMainEvents.h"

#include <array>

namespace tarnwell::ui {
namespace {

constexpr std::array<EventWiring, 16> Events = {{
    {"ComboBoxFileSize", ControlEvent::CloseUp, &TFormMain::ComboBoxFileSizeCloseUp},
    {"ComboBoxTotalSize", ControlEvent::CloseUp, &TFormMain::ComboBoxFileSizeCloseUp},
    {"ComboBoxPriority", ControlEvent::CloseUp, &TFormMain::ComboBoxPriorityCloseUp},
    {"ComboBoxWait", ControlEvent::CloseUp, &TFormMain::ComboBoxWaitCloseUp},
    {"ComboBoxReadPercentage", ControlEvent::CloseUp, &TFormMain::ComboBoxReadPercentageCloseUp},
    {"CheckBoxDeleteFile", ControlEvent::Click, &TFormMain::CheckBoxDeleteFileClick},
    {"CheckBoxReadOnly", ControlEvent::Click, &TFormMain::CheckBoxReadOnlyClick},
    {"ButtonFolder", ControlEvent::Click, &TFormMain::ButtonFolderClick},
    {"ButtonStart", ControlEvent::Click, &TFormMain::ButtonStartClick},
    {"MenuFReport", ControlEvent::Click, &TFormMain::MenuFReportClick},
    {"MenuFCheck", ControlEvent::Click, &TFormMain::MenuFCheckClick},
    {"MenuFExit", ControlEvent::Click, &TFormMain::MenuFExitClick},
    {"MenuHelpStartMenu", ControlEvent::Click, &TFormMain::MenuHelpStartMenuClick},
    {"MenuHelpReadme", ControlEvent::Click, &TFormMain::MenuHelpReadmeClick},
    {"MenuHelpWeb", ControlEvent::Click, &TFormMain::MenuHelpWebClick},
    {"MenuHelpVersion", ControlEvent::Click, &TFormMain::MenuHelpVersionClick},
}};

}  // namespace

std::span<const EventWiring> FormMainEvents() { return Events; }

}  // namespace tarnwell::ui
