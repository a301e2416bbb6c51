// Stamping blocks before they are written, checking them as they are read.
#include "engine/RunVerifier.h"

#include <algorithm>

namespace tarnwell {

constexpr double SecondsPerDay = 86400.0;

std::uint64_t RunIdForPattern(std::uint32_t patternSeed) {
  return (NewStampRunId() & 0xffffffff00000000ull) | patternSeed;
}

std::uint32_t PatternSeedOf(std::uint64_t runId) { return static_cast<std::uint32_t>(runId); }

RunVerifier::RunVerifier(PatternBuffer& pattern, std::function<double()> now)
    : pattern_(pattern), now_(std::move(now)) {}

RunVerifier::~RunVerifier() {
  if (stamped_) pattern_.FillFromSeed(pattern_.Seed());
}

void RunVerifier::Begin(bool readOnly) {
  on_ = true;
  readOnly_ = readOnly;
  adopted_ = false;
  runId_ = readOnly ? 0 : RunIdForPattern(pattern_.Seed());
  phase_ = VerifyResult{};
  phaseDays_ = 0;
  if (!reads_) reads_ = std::make_unique<PatternBuffer>();
}

void RunVerifier::Stamp(void* block, std::size_t bytes, std::int32_t index) {
  stamped_ = true;
  StampBlock(static_cast<std::uint8_t*>(block), static_cast<std::int32_t>(bytes), runId_, file_,
             static_cast<std::int64_t>(index) * static_cast<std::int64_t>(bytes));
}

void* RunVerifier::ReadBuffer(std::size_t blockBytes) {
  return reads_->BlockFor(static_cast<std::int32_t>(blockBytes));
}

const std::uint8_t* RunVerifier::Expected(const void* written, std::size_t blockBytes) {
  if (otherPattern_) {
    return reinterpret_cast<const std::uint8_t*>(
        otherPattern_->BlockFor(static_cast<std::int32_t>(blockBytes)));
  }
  return static_cast<const std::uint8_t*>(written);
}

void RunVerifier::Check(const void* written, std::size_t blockBytes, std::size_t bytes,
                        std::int32_t index) {
  const double start = now_();
  const auto* read = static_cast<const std::uint8_t*>(ReadBuffer(blockBytes));
  // A read-only run takes the id (and so the pattern) of the run that wrote
  // the files from the first sector that carries a stamp; every sector must
  // then carry it.
  if (readOnly_ && !adopted_) {
    for (std::size_t at = 0; at < bytes; at += SectorBytes) {
      if (const std::optional<std::uint64_t> id = FoundRunId(
              read + at,
              static_cast<std::int32_t>(std::min<std::size_t>(SectorBytes, bytes - at)))) {
        adopted_ = true;
        runId_ = *id;
        if (!otherPattern_) otherPattern_ = std::make_unique<PatternBuffer>();
        otherPattern_->FillFromSeed(PatternSeedOf(runId_));
        break;
      }
    }
  }
  const std::int64_t offset =
      static_cast<std::int64_t>(index) * static_cast<std::int64_t>(blockBytes);
  const std::uint8_t* expected = Expected(written, blockBytes);
  // A short read's last part-sector counts with the rest as missing.
  const std::size_t whole = bytes / SectorBytes * SectorBytes;
  CheckBlock(read, expected, static_cast<std::int32_t>(whole), runId_, file_, offset, phase_);
  if (whole < blockBytes) {
    CountMissing(static_cast<std::int64_t>(blockBytes - whole), expected + whole, runId_, file_,
                 offset + static_cast<std::int64_t>(whole), phase_);
  }
  const double spent = now_() - start;
  phaseDays_ += spent;
}

void RunVerifier::Missing(const void* written, std::size_t blockBytes, std::int32_t index,
                          std::int32_t blocks) {
  if (index >= blocks) return;
  const std::int64_t offset =
      static_cast<std::int64_t>(index) * static_cast<std::int64_t>(blockBytes);
  CountMissing(static_cast<std::int64_t>(blocks - index) * static_cast<std::int64_t>(blockBytes),
               Expected(written, blockBytes), runId_, file_, offset, phase_);
}

PhaseVerification RunVerifier::TakePhase() {
  PhaseVerification phase{phase_, phaseDays_ * SecondsPerDay};
  phase_ = VerifyResult{};
  phaseDays_ = 0;
  return phase;
}

}  // namespace tarnwell
