// The main window's logic.
#include "ui/frmMain.h"

#include <cstdio>
#include <exception>

#include "engine/judge/VerifyNotes.h"
#include "engine/output/AfterRun.h"
#include "engine/run/ProgramSettings.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/PathNames.h"
#include "sysinfo/AboutText.h"
#include "sysinfo/HelpCommands.h"
#include "ui/HandlerGuard.h"
#include "ui/WindowBounds.h"
#include "ui/frmFolder.h"
#include "ui/frmSMenu.h"

namespace tarnwell::ui {
namespace {

constexpr const char* WindowSection = "Window";

constexpr Bounds DefaultBounds{.Left = 100, .Top = 100, .Width = 720, .Height = 500};

// A stored index outside the list leaves it without a selection.
void SelectStoredIndex(DropDownList& list, int index) {
  list.SetItemIndex(index >= 0 && index < list.Count() ? index : -1);
}

}  // namespace

// Carries the run's reports from the worker to the GUI thread. It never
// waits for the GUI, so a timed phase is never held up by the window.
class TFormMain::Reporter : public RunObserver {
public:
  Reporter(TFormMain& form, std::uint64_t serial) : form_(form), serial_(serial) {}

  void ResultTextChanged(const std::string& text) override {
    // The memo holds the result text as one more line.
    form_.c_.Gui.Post([&form = form_, serial = serial_, memo = text + "\r\n"] {
      if (serial == form.serial_) form.c_.MemoResult.SetText(memo);
    });
  }

  void Notice(const std::string& text) override {
    form_.c_.Gui.Post([&form = form_, serial = serial_, text] {
      if (serial != form.serial_) return;
      form.notice_ = text;
      form.ShowProgress();
    });
  }

  void Ended() {
    form_.c_.Gui.Post([&form = form_, serial = serial_] { form.FinishRun(serial); });
  }

private:
  TFormMain& form_;
  std::uint64_t serial_;
};

TFormMain::TFormMain(const TFormMainControls& controls, AppServices& services)
    : c_(controls), services_(services) {}

TFormMain::~TFormMain() { AbandonRun(); }

void TFormMain::AbandonRun() {
  if (worker_.joinable()) {
    run_->RequestStop();
    worker_.join();
  }
}

void TFormMain::AttachForms(TFormFolder& folder, TFormStartMenu& startMenu) {
  folder_ = &folder;
  startMenu_ = &startMenu;
}

void TFormMain::Handle(void (TFormMain::*handler)()) {
  RunHandler(c_.Boxes, [&] { (this->*handler)(); });
}

// ---- creation and closing ---------------------------------------------------

void TFormMain::FormCreate() {
  c_.Form.SetCaption("Tarnwell");
  c_.MenuFReport.SetEnabled(false);  // until a run has measured something
  LoadSettings();
  patternBuffer_.Fill(generator_);  // seeds the generator first
  ComboBoxFileSizeCloseUp();
  ComboBoxWaitCloseUp();
  CheckBoxDeleteFileClick();
}

void TFormMain::LoadSettings() {
  const platform::IniFile ini(services_.SettingsPath());
  LoadWindowBounds(ini, WindowSection, DefaultBounds, c_.Form);
  Choices firstStart;
  firstStart.Folder = services_.DefaultFolder();
  Show(ReadChoices(ini, firstStart, IndexOutsideList::AsStored));
  c_.MenuFVerify.SetChecked(ReadProgramFlag(ini, ProgramKeys::Verify));
}

void TFormMain::Show(const Choices& choices) {
  c_.EditFolder.SetText(choices.Folder);
  SelectStoredIndex(c_.ComboBoxFileSize, choices.FileSizeIndex);
  SelectStoredIndex(c_.ComboBoxTotalSize, choices.TotalSizeIndex);
  c_.CheckBoxDeleteFile.SetChecked(choices.DeleteFiles);
  c_.CheckBox1MB.SetChecked(choices.OneMegabyteBlocks);
  c_.CheckBoxReadOnly.SetChecked(choices.ReadOnly);
  CheckBoxReadOnlyClick();
  c_.CheckBoxReadRandom.SetChecked(choices.ReadRandom);
  SelectStoredIndex(c_.ComboBoxReadPercentage, choices.ReadPercentageIndex);
  ComboBoxReadPercentageCloseUp();
  SelectStoredIndex(c_.ComboBoxRepeat, choices.RepeatIndex);
  SelectStoredIndex(c_.ComboBoxPriority, choices.PriorityIndex);
  SelectStoredIndex(c_.ComboBoxWait, choices.WaitIndex);
}

Choices TFormMain::Shown() const {
  Choices choices;
  choices.Folder = c_.EditFolder.Text();
  choices.FileSizeIndex = c_.ComboBoxFileSize.ItemIndex();
  choices.TotalSizeIndex = c_.ComboBoxTotalSize.ItemIndex();
  choices.DeleteFiles = c_.CheckBoxDeleteFile.Checked();
  choices.OneMegabyteBlocks = c_.CheckBox1MB.Checked();
  choices.ReadOnly = c_.CheckBoxReadOnly.Checked();
  choices.ReadRandom = c_.CheckBoxReadRandom.Checked();
  choices.ReadPercentageIndex = c_.ComboBoxReadPercentage.ItemIndex();
  choices.RepeatIndex = c_.ComboBoxRepeat.ItemIndex();
  choices.PriorityIndex = c_.ComboBoxPriority.ItemIndex();
  choices.WaitIndex = c_.ComboBoxWait.ItemIndex();
  return choices;
}

void TFormMain::FormClose() {
  if (worker_.joinable()) {
    // The run must not outlive its window; it stops between two blocks.
    run_->RequestStop();
    FinishRun(serial_);
  }
  if (const std::optional<Refusal> refused = SaveSettings()) {
    c_.Boxes.ShowMessage(refused->Message);
  }
}

std::optional<Refusal> TFormMain::SaveSettings() {
  std::string reason;
  try {
    platform::IniFile ini(services_.SettingsPath());
    SaveWindowBounds(ini, WindowSection, c_.Form);
    WriteChoices(ini, Shown());
    WriteProgramFlag(ini, ProgramKeys::Verify, c_.MenuFVerify.Checked());
    const platform::Status saved = ini.UpdateFile();
    if (saved.Ok()) return std::nullopt;
    reason = saved.Text();
  } catch (const std::exception&) {
    // Nothing to say beyond the failure itself.
  }
  return Refusal{RunMessages::WithReason(SettingsTexts::SaveFailed, reason)};
}

// ---- menu -------------------------------------------------------------------

void TFormMain::MenuFExitClick() { c_.Form.Close(); }

void TFormMain::MenuFReportClick() {
  if (lastRecord_.Date.empty() || Running()) return;
  std::string name = "tarnwell-" + lastRecord_.Date + ".html";
  for (char& c : name) {
    if (c == ':') c = '-';  // a name every file system takes
  }
  const std::string path =
      c_.SaveReport.AskSavePath(FormMainTexts::ReportTitle, name, FormMainTexts::ReportFilter);
  if (path.empty()) return;
  // The latest earlier runs of the same device and choices, for the
  // comparison chart.
  const std::string historyPath = services_.HistoryPath();
  // The history and the settings are the program's own: a report saved over
  // either would destroy it, however the path was spelt.
  const platform::FileIdentity target = platform::IdentifyFile(path, false);
  for (const std::string& own : {historyPath, services_.SettingsPath()}) {
    if (!own.empty() && platform::SameFile(target, platform::IdentifyFile(own, true))) {
      c_.Boxes.ShowMessage(
          RunMessages::WithReason(path + FormMainTexts::CannotWrite, FormMainTexts::OwnFile));
      return;
    }
  }
  if (const std::optional<Refusal> refused =
          SaveRunReport(path, lastRecord_, historyPath, path + FormMainTexts::CannotWrite)) {
    c_.Boxes.ShowMessage(refused->Message);
    return;
  }
  services_.OpenWithDesktop(path);
}

void TFormMain::MenuFCheckClick() {
  if (Running()) return;
  RunChoices choices = TakeChoices();
  if (!FolderAccepted(choices.Folder)) return;
  // Sized as the run will size itself, from the free space it finds then
  // (the files of an earlier kept check, which the run counts too, are not
  // looked at before the run folder is locked).
  RunParameters sizes;
  std::optional<FillRecord> fill;
  if (const std::optional<Refusal> refused =
          SizeFill(sizes, choices.FileSizeIndex, services_.Environment().Identify(choices.Folder),
                   0, fill)) {
    c_.Boxes.ShowMessage(refused->Message);
    return;
  }
  const FillPlan plan{sizes.FileSize, sizes.FileCount};
  if (!c_.Boxes.AskYesNo(FillConfirmation(plan, lastRecord_.MeanWriteMBps))) return;
  // The delete check box stands for the runner's --keep.
  MakeFillChoices(choices, !choices.DeleteFiles);
  StartRun(choices);
}

void TFormMain::MenuHelpVersionClick() {
  // A failed query ends the command in the error box, with no about text.
  const TkvWindowsVersion version = services_.WindowsVersion();
  const std::string user = services_.LoginUserName();
  const std::string machine = services_.MachineName();
  c_.Boxes.ShowMessage(AboutText(version.VersionText, user, machine, services_.DecimalSeparator()));
}

void TFormMain::MenuHelpWebClick() {
  const std::string address = services_.WebAddress();
  if (!services_.OpenWithDesktop(address)) c_.Boxes.ShowMessage(WebOpenFailedMessage(address));
}

void TFormMain::MenuHelpReadmeClick() {
  const std::string readme = services_.ReadmePath();
  if (!services_.OpenWithDesktop(readme)) c_.Boxes.ShowMessage(ReadmeOpenFailedMessage(readme));
}

void TFormMain::MenuHelpStartMenuClick() {
  bool allUsers = false;
  if (services_.WindowsVersion().IsNT && startMenu_ != nullptr) {
    const Bounds bounds = c_.Form.GetBounds();
    startMenu_->ShowModalAt(bounds.Left + 40, bounds.Top + 40);
    if (startMenu_->Cancelled) return;
    allUsers = startMenu_->AllUsers;
  }
  const std::string folder = services_.ProgramsFolder(allUsers);
  if (folder.empty()) {
    c_.Boxes.ShowMessage(ProgramsFolderFailedMessage);
    return;
  }
  try {
    services_.CreateShortcut(ShortcutPath(folder), services_.ExecutablePath(), ShortcutDescription);
  } catch (const std::exception&) {
    // The reason stays unnamed: the user can only try another folder.
    c_.Boxes.ShowMessage(ShortcutFailedMessage);
  }
}

void TFormMain::ButtonFolderClick() {
  if (folder_ == nullptr) return;
  const std::optional<std::string> folder = folder_->ShowModal();
  if (folder) c_.EditFolder.SetText(*folder);
}

// ---- run parameters ---------------------------------------------------------

bool TFormMain::ComputeFileCount() {
  return tarnwell::ComputeFileCount(parameters_, c_.ComboBoxFileSize.ItemIndex(),
                                    c_.ComboBoxTotalSize.ItemIndex());
}

void TFormMain::ComboBoxFileSizeCloseUp() {
  if (ComputeFileCount()) {
    c_.LabelFileTotal.SetCaption(std::to_string(parameters_.FileCount) + FormMainTexts::Files);
  } else {
    c_.LabelFileTotal.SetCaption(FormMainTexts::NoFileCount);
  }
  if (OneMegabyteBlocksFit(parameters_.FileSize)) {
    c_.CheckBox1MB.SetEnabled(true);
  } else {
    c_.CheckBox1MB.SetChecked(false);
    c_.CheckBox1MB.SetEnabled(false);
  }
}

void TFormMain::CheckBoxDeleteFileClick() {
  // The run reads the check mark itself.
}

void TFormMain::CheckBoxReadOnlyClick() {
  // The run reads the check mark itself.
}

void TFormMain::ComboBoxWaitCloseUp() {
  parameters_.WaitMSec = WaitMSecFor(c_.ComboBoxWait.ItemIndex());
}

void TFormMain::ComboBoxReadPercentageCloseUp() {
  // Without a selection the share keeps its value.
  if (const std::optional<double> percent = ReadPercentFor(c_.ComboBoxReadPercentage.ItemIndex())) {
    parameters_.ReadPercent = *percent;
  }
}

void TFormMain::ComboBoxPriorityCloseUp() {
  const int index = c_.ComboBoxPriority.ItemIndex();
  if (index < 0 || index >= static_cast<int>(PriorityItems.size())) {
    c_.Boxes.ShowMessage(FormMainTexts::PriorityFailed);
    return;
  }
  const auto priority = static_cast<platform::PriorityClass>(index);
  if (!services_.SetPriority(priority)) {
    c_.Boxes.ShowMessage(FormMainTexts::PriorityFailed);
    return;
  }
  // Priorities belong to threads here: each run's worker takes this class.
  priority_ = priority;
}

// ---- the run ----------------------------------------------------------------

void TFormMain::ButtonStartClick() {
  if (Running()) {
    run_->RequestStop();
    stopRequested_ = true;
    ShowProgress();
    return;
  }
  StartRun(TakeChoices());
}

RunChoices TFormMain::TakeChoices() const {
  RunChoices choices;
  static_cast<Choices&>(choices) = Shown();
  choices.Parameters = parameters_;
  choices.Verify = c_.MenuFVerify.Checked();
  return choices;
}

bool TFormMain::FolderAccepted(const std::string& folder) {
  // An empty folder text does nothing at all.
  if (folder.empty()) return false;
  if (!platform::IsAbsolutePath(folder)) {
    c_.Boxes.ShowMessage(folder + FormMainTexts::FolderNotAbsolute);
    return false;
  }
  return true;
}

void TFormMain::StartRun(const RunChoices& choices) {
  if (!FolderAccepted(choices.Folder)) return;

  ++serial_;
  reporter_ = std::make_unique<Reporter>(*this, serial_);
  run_ = std::make_unique<BenchmarkRun>(choices, patternBuffer_, generator_, *reporter_,
                                        services_.Environment(), services_.DecimalSeparator());
  outcome_ = RunOutcome{};
  notice_.clear();
  fillMeter_.reset();
  if (choices.Fill) fillMeter_.emplace();
  stopRequested_ = false;
  runStarted_ = std::chrono::steady_clock::now();
  SetRunning(true);
  ShowProgress();

  try {
    worker_ = std::thread(&TFormMain::Work, this, run_.get(), reporter_.get(), priority_);
  } catch (...) {
    // No thread, no run: the window must not stay locked.
    run_.reset();
    c_.Gui.StopTicker();
    SetRunning(false);
    c_.LabelProgress.SetCaption("");
    throw;
  }
}

void TFormMain::Work(BenchmarkRun* run, Reporter* reporter,
                     std::optional<platform::PriorityClass> priority) {
  // Threads keep their own priority here; take the one the user chose.
  if (priority) services_.SetPriority(*priority);
  RunOutcome outcome;
  try {
    outcome = run->Execute();
  } catch (const std::exception& error) {
    outcome.Result = RunOutcome::Kind::Stopped;
    outcome.Box = MessageKind::Error;
    outcome.Message = error.what();
  } catch (...) {
    outcome.Result = RunOutcome::Kind::Stopped;
    outcome.Box = MessageKind::Error;
    outcome.Message = CommonTexts::UnknownError;
  }
  // Kept for the report and the history; on this thread, off the GUI's. The
  // window's runs carry no host or run id, and the report is saved later
  // from the menu; a history with no place is not kept, and not said.
  AfterRunPlan plan;
  plan.HistoryPath = services_.HistoryPath();
  AfterRunResult after = AfterRun(run->Record(outcome), plan);
  historyFailure_.reset();
  if (after.History.Result == HistoryOutcome::Kind::NotWritten) {
    historyFailure_ = std::move(after.History.Reason);
  }
  record_ = std::move(after.Record);
  notes_ = std::move(after.Notes);
  outcome_ = std::move(outcome);
  reporter->Ended();
}

void TFormMain::FinishRun(std::uint64_t serial) {
  // The end of a run that FormClose already finished arrives late: ignore it.
  if (serial != serial_ || !worker_.joinable()) return;
  worker_.join();
  parameters_.FileSize = run_->Parameters().FileSize;
  parameters_.FileCount = run_->Parameters().FileCount;
  const RunOutcome outcome = std::move(outcome_);
  const std::vector<std::string> notes = std::move(notes_);
  notes_.clear();
  const bool badSectors = outcome.Result == RunOutcome::Kind::Completed && FoundBadSectors(record_);
  if (!record_.Date.empty()) lastRecord_ = std::move(record_);
  record_ = RunRecord{};
  run_.reset();
  c_.Gui.StopTicker();
  SetRunning(false);
  c_.MenuFReport.SetEnabled(!lastRecord_.Date.empty());
  // One line under the memo: the reason follows in brackets.
  if (historyFailure_) {
    notice_ = FormMainTexts::HistoryNotWritten;
    if (!historyFailure_->empty()) notice_ += "（" + *historyFailure_ + "）";
  }
  for (const std::string& note : notes) {
    if (!notice_.empty()) notice_ += FormMainTexts::NoticeSeparator;
    notice_ += note;
  }
  c_.LabelProgress.SetCaption(notice_);
  if (badSectors) {
    std::string text = FormMainTexts::BadSectorsFound;
    std::vector<std::string> found;
    VerifyNotes(lastRecord_, found);
    for (const std::string& line : found) text += "\n" + line;
    c_.Boxes.ShowMessage(text);
  }
  if (outcome.Result != RunOutcome::Kind::Stopped) return;
  if (outcome.Box == MessageKind::Error) {
    c_.Boxes.ShowError(ErrorBoxText(outcome.Message));
  } else {
    c_.Boxes.ShowMessage(outcome.Message);
  }
}

void TFormMain::SetRunning(bool running) {
  if (running) {
    // Nothing the run reads may change, and nothing may start another run
    // or open a dialog over it; the window itself can still be closed.
    Control* const controls[] = {
        &c_.EditFolder,        &c_.ButtonFolder,       &c_.ComboBoxFileSize,
        &c_.ComboBoxTotalSize, &c_.CheckBoxDeleteFile, &c_.CheckBox1MB,
        &c_.CheckBoxReadOnly,  &c_.CheckBoxReadRandom, &c_.ComboBoxReadPercentage,
        &c_.ComboBoxRepeat,    &c_.ComboBoxPriority,   &c_.ComboBoxWait,
        &c_.MenuHelpStartMenu, &c_.MenuHelpVersion,    &c_.MenuFReport,
        &c_.MenuFVerify,       &c_.MenuFCheck,
    };
    disabled_.clear();
    for (Control* control : controls) {
      disabled_.emplace_back(control, control->Enabled());
      control->SetEnabled(false);
    }
    c_.ButtonStart.SetCaption(FormMainTexts::Stop);
    c_.Gui.StartTicker(200, [this] { ShowProgress(); });
  } else {
    for (const auto& [control, enabled] : disabled_) control->SetEnabled(enabled);
    disabled_.clear();
    c_.ButtonStart.SetCaption(FormMainTexts::Start);
  }
}

void TFormMain::ShowProgress() {
  if (!Running()) return;
  const RunProgress& progress = run_->Progress();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - runStarted_).count();
  char text[256];
  std::snprintf(text, sizeof text, FormMainTexts::Progress,
                stopRequested_ ? FormMainTexts::Stopping
                               : RunPhaseText(progress.Phase.load(std::memory_order_relaxed)),
                static_cast<int>(progress.Repetition.load(std::memory_order_relaxed)),
                static_cast<int>(progress.Repetitions.load(std::memory_order_relaxed)),
                static_cast<int>(progress.File.load(std::memory_order_relaxed)),
                static_cast<int>(progress.Files.load(std::memory_order_relaxed)), seconds);
  std::string line = text;
  if (fillMeter_) {
    line = fillMeter_->Line(progress, progress.FileBytes.load(std::memory_order_relaxed), seconds);
    if (stopRequested_)
      line = std::string(FormMainTexts::Stopping) + FormMainTexts::NoticeSeparator + line;
  }
  if (!notice_.empty()) line += FormMainTexts::NoticeSeparator + notice_;
  c_.LabelProgress.SetCaption(line);
}

}  // namespace tarnwell::ui
