// What the forms need from the system besides their controls: where the
// settings file lives, the default folder, the priority class, the services
// a benchmark run uses, the regional decimal separator, the system's
// identity and the desktop's menu and opener. Tests substitute their own.
//
// Errors in the window layer: the form logic never throws a refusal and
// never reads a flag afterwards. A refusal (engine's Refusal, or a
// platform Status made into one) is shown in a message box as its whole
// sentence, the system's reason on a line of its own; a run ends in a
// RunOutcome, whose Stopped message goes to a message box (an error box for
// MessageKind::Error) and whose notes and a history not written go on the
// progress line. Only the system-identity calls below throw (Ekv...); the
// handler guard shows whatever escapes a handler.
#pragma once

#include <string>

#include "engine/run/BenchmarkRun.h"
#include "platform/Priority.h"
#include "sysinfo/kvUnitWindowsVersion.h"

namespace tarnwell::ui {

class AppServices {
public:
  virtual ~AppServices() = default;
  // The settings file, built afresh for every load and save.
  virtual std::string SettingsPath() = 0;
  // The folder offered when the settings name none.
  virtual std::string DefaultFolder() = 0;
  // Sets the calling thread's CPU and I/O priority; false when refused.
  // Called on the GUI thread and on a run's worker thread.
  virtual bool SetPriority(platform::PriorityClass priority) = 0;
  virtual RunEnvironment& Environment() = 0;
  virtual char DecimalSeparator() = 0;

  // The system's identity; each throws its own exception on failure.
  virtual TkvWindowsVersion WindowsVersion() = 0;
  virtual std::string LoginUserName() = 0;
  virtual std::string MachineName() = 0;
  // The application-menu folder; empty when it can be neither found nor made.
  virtual std::string ProgramsFolder(bool allUsers) = 0;
  // Writes the menu entry; throws on failure.
  virtual void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                              const std::string& description) = 0;
  virtual std::string ExecutablePath() = 0;
  virtual std::string ReadmePath() = 0;
  virtual std::string WebAddress() = 0;
  // Opens a file or address with the desktop's default application.
  virtual bool OpenWithDesktop(const std::string& target) = 0;
  // The history of runs; empty for none.
  virtual std::string HistoryPath() = 0;
};

// The real system.
class SystemServices : public AppServices {
public:
  explicit SystemServices(char decimalSeparator) : decimalSeparator_(decimalSeparator) {}
  std::string SettingsPath() override;
  std::string DefaultFolder() override;
  bool SetPriority(platform::PriorityClass priority) override;
  RunEnvironment& Environment() override { return environment_; }
  char DecimalSeparator() override { return decimalSeparator_; }
  TkvWindowsVersion WindowsVersion() override { return TkvWindowsVersion(); }
  std::string LoginUserName() override;
  std::string MachineName() override;
  std::string ProgramsFolder(bool allUsers) override;
  void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                      const std::string& description) override;
  std::string ExecutablePath() override;
  std::string ReadmePath() override;
  std::string WebAddress() override;
  bool OpenWithDesktop(const std::string& target) override;
  std::string HistoryPath() override;

private:
  RunEnvironment environment_;
  char decimalSeparator_;
};

}  // namespace tarnwell::ui
