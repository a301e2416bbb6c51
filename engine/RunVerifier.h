// Checking what a run reads back. In a verified run every block is stamped
// just before it is written (engine/SectorStamp.h); each block read lands in
// a buffer of its own and is checked at once against the stamp and pattern
// expected at that place. The time spent checking is measured on the run's
// clock so that the run can leave it out of the phase's and files' times:
// at one request in flight the device idles while the processor checks, so
// the verified speeds stay those of the device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/PatternBuffer.h"
#include "engine/VerifyRecord.h"

namespace tarnwell {

// The run id of a run whose pattern came from `patternSeed`: random above,
// the seed below, so that a read-only run over its files can rebuild the
// pattern they carry.
std::uint64_t RunIdForPattern(std::uint32_t patternSeed);
std::uint32_t PatternSeedOf(std::uint64_t runId);

class RunVerifier {
public:
  // `now` is the run's clock, in days.
  RunVerifier(PatternBuffer& pattern, std::function<double()> now);
  // Gives the pattern buffer back as it was filled: stamps went into its
  // blocks, and the window's next run, verified or not, writes from it.
  ~RunVerifier();

  bool On() const { return on_; }
  // Switches checking on for a run that writes its files (a fresh run id
  // for the pattern in use) or that reads another run's (the id found in
  // the first sector read, and that run's pattern).
  void Begin(bool readOnly);

  // The test file the next transfers belong to.
  void SetFile(std::int32_t number) { file_ = number; }

  // Writing: stamps block `index` of the current file.
  void Stamp(void* block, std::size_t bytes, std::int32_t index);

  // Reading: where block reads land while checking is on.
  void* ReadBuffer(std::size_t blockBytes);
  // Checks `bytes` read of block `index` (of `blockBytes`, written from
  // `written`); the part of the block that never came back is missing.
  void Check(const void* written, std::size_t blockBytes, std::size_t bytes, std::int32_t index);
  // Blocks `index` up to `blocks` of the current file never came back.
  void Missing(const void* written, std::size_t blockBytes, std::int32_t index,
               std::int32_t blocks);

  // The phase's findings so far; starts the next phase afresh.
  PhaseVerification TakePhase();
  // The check time of the phase so far, in days.
  double PhaseCheckDays() const { return phaseDays_; }

private:
  const std::uint8_t* Expected(const void* written, std::size_t blockBytes);

  PatternBuffer& pattern_;
  std::function<double()> now_;
  bool on_ = false;
  bool readOnly_ = false;
  bool adopted_ = false;
  bool stamped_ = false;
  std::uint64_t runId_ = 0;
  std::int32_t file_ = 0;
  VerifyResult phase_;
  double phaseDays_ = 0;
  std::unique_ptr<PatternBuffer> reads_;         // where reads land
  std::unique_ptr<PatternBuffer> otherPattern_;  // the other run's pattern
};

}  // namespace tarnwell
