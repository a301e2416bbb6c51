// The main window's logic: the run state, the settings it loads and saves,
// and every handler of its controls and menu. A benchmark run executes on a
// worker thread; its reports reach the window through the GUI thread's
// queue, and the controls the run depends on stay disabled until it ends.
//
// Errors in the forms: what failed is shown in a message box, its reason
// taken from the run's outcome or from the platform layer's Status (its
// Text(), on a line of its own). Exceptions come only from the program's
// own exception classes (sysinfo's Ekv...) and the standard library; the
// handler guard shows any that escape a handler.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/base/Refusal.h"
#include "engine/model/RunParameters.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/run/Choices.h"
#include "engine/run/WholeDriveCheck.h"
#include "engine/verify/Generator.h"
#include "engine/verify/PatternBuffer.h"
#include "platform/Priority.h"
#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FormMainControls.h"
#include "ui/FormTexts.h"

namespace tarnwell::ui {

class TFormFolder;
class TFormStartMenu;

class TFormMain {
public:
  TFormMain(const TFormMainControls& controls, AppServices& services);
  // Stops and waits for a run still going.
  ~TFormMain();
  TFormMain(const TFormMain&) = delete;
  TFormMain& operator=(const TFormMain&) = delete;

  // The secondary windows, created after this one.
  void AttachForms(TFormFolder& folder, TFormStartMenu& startMenu);

  // Event handlers. A binding calls them through Handle() so that whatever
  // they throw reaches the error box.
  void FormCreate();
  void MenuFExitClick();
  // Saves the last run's report where the user says and opens it.
  void MenuFReportClick();
  // The whole-drive check: asks first, saying how much it writes and about
  // how long that takes, then runs it as a run of its own.
  void MenuFCheckClick();
  void MenuHelpVersionClick();
  void MenuHelpWebClick();
  void MenuHelpReadmeClick();
  void FormClose();
  void MenuHelpStartMenuClick();
  void ButtonFolderClick();
  void ButtonStartClick();
  void ComboBoxFileSizeCloseUp();
  void CheckBoxDeleteFileClick();
  void ComboBoxPriorityCloseUp();
  void ComboBoxWaitCloseUp();
  void CheckBoxReadOnlyClick();
  void ComboBoxReadPercentageCloseUp();

  void Handle(void (TFormMain::*handler)());

  // The run state.
  const RunParameters& Parameters() const { return parameters_; }
  std::int32_t FileSize() const { return parameters_.FileSize; }
  std::int32_t FileCount() const { return parameters_.FileCount; }
  std::int32_t WaitMSec() const { return parameters_.WaitMSec; }
  double ReadPercent() const { return parameters_.ReadPercent; }
  const tarnwell::PatternBuffer& PatternBuffer() const { return patternBuffer_; }
  // The class the last close-up of the priority list set, if any.
  std::optional<platform::PriorityClass> Priority() const { return priority_; }
  bool Running() const { return run_ != nullptr; }
  // Stops a run and waits until it has cleaned up as the choices say,
  // touching no control: for an exit without the window (a lost display).
  void AbandonRun();

  // Refreshes the progress line; the ticker calls it while a run lasts.
  void ShowProgress();

private:
  class Reporter;

  bool ComputeFileCount();
  // Puts the choices into the controls, in the order a start-up sets them,
  // with the derivations a start-up makes between them.
  void Show(const Choices& choices);
  // The choices as the controls hold them.
  Choices Shown() const;
  RunChoices TakeChoices() const;
  // False, after saying why when there is something to say, for a folder
  // text no run may use.
  bool FolderAccepted(const std::string& folder);
  void StartRun(const RunChoices& choices);
  // The worker thread's body: the run, then its end posted to the window.
  void Work(BenchmarkRun* run, Reporter* reporter, std::optional<platform::PriorityClass> priority);
  void SetRunning(bool running);
  // Waits for the worker, takes the run's results and shows its message.
  void FinishRun(std::uint64_t serial);
  void LoadSettings();
  // Why the file was not replaced, with the system's reason when it gave
  // one; nothing when it was.
  std::optional<Refusal> SaveSettings();

  TFormMainControls c_;
  AppServices& services_;
  TFormFolder* folder_ = nullptr;
  TFormStartMenu* startMenu_ = nullptr;

  RunParameters parameters_;
  tarnwell::PatternBuffer patternBuffer_;
  Generator generator_;
  std::optional<platform::PriorityClass> priority_;

  // One run at a time. The worker owns the run's engine objects until it
  // has posted its end; the GUI thread only reads the progress atomics and
  // may ask it to stop.
  std::unique_ptr<Reporter> reporter_;
  std::unique_ptr<BenchmarkRun> run_;
  std::thread worker_;
  RunOutcome outcome_;  // written by the worker before it posts its end
  RunRecord record_;    // likewise
  // Likewise: why the run is not in the history, when it is not.
  std::optional<std::string> historyFailure_;
  std::vector<std::string> notes_;  // likewise: the notes on the run's figures
  RunRecord lastRecord_;            // the last run that measured something
  std::uint64_t serial_ = 0;
  std::chrono::steady_clock::time_point runStarted_;
  bool stopRequested_ = false;
  std::string notice_;
  std::optional<FillMeter> fillMeter_;  // the progress of a whole-drive check
  std::vector<std::pair<Control*, bool>> disabled_;
};

}  // namespace tarnwell::ui
