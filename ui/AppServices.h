// What the forms need from the system besides their controls: where the
// settings file lives, the default folder, the priority class, the services
// a benchmark run uses and the regional decimal separator. Tests substitute
// their own.
#pragma once

#include <string>

#include "engine/BenchmarkRun.h"
#include "platform/Priority.h"

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

private:
  RunEnvironment environment_;
  char decimalSeparator_;
};

}  // namespace tarnwell::ui
