// Stamping blocks before they are written, checking them on a thread of
// their own as they are read.
#include "engine/verify/RunVerifier.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

#include "engine/verify/SectorStamp.h"
#include "platform/Priority.h"

namespace tarnwell {

std::uint64_t RunIdForPattern(std::uint32_t patternSeed) {
  return (NewStampRunId() & 0xffffffff00000000ull) | patternSeed;
}

std::uint32_t PatternSeedOf(std::uint64_t runId) { return static_cast<std::uint32_t>(runId); }

namespace {

constexpr std::size_t Alignment = PatternBuffer::Alignment;
// Each read of a block and what came back of it: at most two entries.
constexpr std::size_t PiecesPerBuffer = 2 * RunVerifier::BufferBytes / Alignment;

std::size_t Stride(std::size_t blockBytes) { return std::max(blockBytes, Alignment); }

}  // namespace

void RunVerifier::Free::operator()(std::uint8_t* p) const {
  ::operator delete (p, std::align_val_t{Alignment});
}

RunVerifier::RunVerifier(PatternBuffer& pattern, std::function<double()> now)
    : pattern_(pattern), now_(std::move(now)) {}

RunVerifier::~RunVerifier() {
  if (checker_.joinable()) EndReads();
  if (stamped_) pattern_.FillFromSeed(pattern_.Seed());
}

void RunVerifier::Begin(bool readOnly) {
  on_ = true;
  readOnly_ = readOnly;
  adopted_ = false;
  runId_ = readOnly ? 0 : RunIdForPattern(pattern_.Seed());
  phase_ = VerifyResult{};
  checkSeconds_ = 0;
  waitDays_ = 0;
}

void RunVerifier::Stamp(void* block, std::size_t bytes, std::int32_t index) {
  stamped_ = true;
  StampBlock(static_cast<std::uint8_t*>(block), static_cast<std::int32_t>(bytes), runId_, file_,
             static_cast<std::int64_t>(index) * static_cast<std::int64_t>(bytes));
}

void RunVerifier::BeginReads() {
  // A read-only run checks against the pattern of the run that wrote the
  // files, made on the checker thread once it is known; its room is taken
  // here, where a refusal reaches the reader rather than ending the program.
  if (readOnly_ && !otherPattern_) otherPattern_ = std::make_unique<PatternBuffer>();
  if (!memory_) {
    memory_.reset(static_cast<std::uint8_t*>(
        ::operator new (Buffers* BufferBytes, std::align_val_t{Alignment})));
    for (std::size_t i = 0; i < Buffers; ++i) {
      buffers_[i].Data = memory_.get() + i * BufferBytes;
      buffers_[i].Pieces.reserve(PiecesPerBuffer);
    }
  }
  phase_ = VerifyResult{};
  checkSeconds_ = 0;
  waitDays_ = 0;
  ending_ = false;
  // Without a thread (the system refused one) the reader checks a buffer
  // itself whenever it needs one, as a wait, and the rest at the end.
  try {
    checker_ = std::thread(&RunVerifier::CheckerLoop, this);
  } catch (const std::system_error&) {
  }
}

void* RunVerifier::ReadBuffer(std::size_t blockBytes) {
  Room(Stride(blockBytes));
  Buffer& buffer = buffers_[filling_ % Buffers];
  return buffer.Data + buffer.Used;
}

void RunVerifier::Check(std::size_t blockBytes, std::size_t bytes, std::int32_t index) {
  // ReadBuffer made room for this block, and it landed there.
  Buffer& buffer = buffers_[filling_ % Buffers];
  buffer.Pieces.push_back(Piece{file_, index, 0, static_cast<std::uint32_t>(blockBytes),
                                static_cast<std::uint32_t>(std::min(bytes, blockBytes)),
                                static_cast<std::uint32_t>(buffer.Used), false});
  buffer.Used += Stride(blockBytes);
}

void RunVerifier::Missing(std::size_t blockBytes, std::int32_t index, std::int32_t blocks) {
  if (index >= blocks) return;
  // Usually the entry ReadBuffer kept room for; no data.
  if (!acquired_ || buffers_[filling_ % Buffers].Pieces.size() >= PiecesPerBuffer) Room(0);
  buffers_[filling_ % Buffers].Pieces.push_back(
      Piece{file_, index, blocks, static_cast<std::uint32_t>(blockBytes), 0, 0, true});
}

void RunVerifier::Room(std::size_t stride) {
  if (acquired_) {
    const Buffer& buffer = buffers_[filling_ % Buffers];
    if (buffer.Used + stride <= BufferBytes && buffer.Pieces.size() + 2 <= PiecesPerBuffer) return;
    HandOver();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (filling_ - checked_ >= Buffers) {
    // Every buffer waits for the checker: the device idles, and so does the
    // phase's clock.
    const double start = now_();
    if (checker_.joinable()) {
      freed_.wait(lock, [this] { return filling_ - checked_ < Buffers; });
    } else {
      lock.unlock();
      CheckNext();
      lock.lock();
    }
    waitDays_ += now_() - start;
  }
  lock.unlock();
  Buffer& buffer = buffers_[filling_ % Buffers];
  buffer.Used = 0;
  buffer.Pieces.clear();
  acquired_ = true;
}

void RunVerifier::HandOver() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    handedOver_ = filling_ + 1;
  }
  handed_.notify_one();
  ++filling_;
  acquired_ = false;
}

void RunVerifier::EndReads() {
  if (acquired_ && !buffers_[filling_ % Buffers].Pieces.empty()) HandOver();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  handed_.notify_one();
  if (checker_.joinable()) {
    checker_.join();
  } else {
    while (checked_ < handedOver_) CheckNext();
  }
  ending_ = false;
}

void RunVerifier::CheckerLoop() {
  // On a busy machine a checker at the reader's priority delays the reader
  // each time a read completes: the reads come first. Refused, it checks as
  // it is.
  platform::BestEffort(platform::LowerThreadPriority());
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      handed_.wait(lock, [this] { return checked_ < handedOver_ || ending_; });
      if (checked_ == handedOver_) return;
    }
    CheckNext();
  }
}

void RunVerifier::CheckNext() {
  std::uint64_t number = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    number = checked_;
  }
  const auto start = std::chrono::steady_clock::now();
  CheckBuffer(buffers_[number % Buffers]);
  checkSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    checked_ = number + 1;
  }
  freed_.notify_one();
}

const std::uint8_t* RunVerifier::Expected(std::size_t blockBytes) {
  PatternBuffer& pattern = adopted_ && otherPattern_ ? *otherPattern_ : pattern_;
  return static_cast<const std::uint8_t*>(pattern.BlockFor(static_cast<std::int32_t>(blockBytes)));
}

void RunVerifier::CheckBuffer(const Buffer& buffer) {
  for (const Piece& piece : buffer.Pieces) {
    const std::int64_t offset =
        static_cast<std::int64_t>(piece.Index) * static_cast<std::int64_t>(piece.BlockBytes);
    if (piece.Missing) {
      CountMissing(static_cast<std::int64_t>(piece.Blocks - piece.Index) * piece.BlockBytes,
                   Expected(piece.BlockBytes), runId_, piece.File, offset, phase_);
    } else {
      CheckPiece(buffer.Data + piece.At, piece);
    }
  }
}

void RunVerifier::CheckPiece(const std::uint8_t* read, const Piece& piece) {
  const std::size_t bytes = piece.Bytes;
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
        otherPattern_->FillFromSeed(PatternSeedOf(runId_));
        break;
      }
    }
  }
  const std::int64_t offset =
      static_cast<std::int64_t>(piece.Index) * static_cast<std::int64_t>(piece.BlockBytes);
  const std::uint8_t* expected = Expected(piece.BlockBytes);
  // A short read's last part-sector counts with the rest as missing.
  const std::size_t whole = bytes / SectorBytes * SectorBytes;
  tarnwell::CheckBlock(read, expected, static_cast<std::int32_t>(whole), runId_, piece.File, offset,
                       phase_);
  if (whole < piece.BlockBytes) {
    CountMissing(static_cast<std::int64_t>(piece.BlockBytes - whole), expected + whole, runId_,
                 piece.File, offset + static_cast<std::int64_t>(whole), phase_);
  }
}

PhaseVerification RunVerifier::TakePhase() {
  PhaseVerification phase{phase_, checkSeconds_};
  phase_ = VerifyResult{};
  checkSeconds_ = 0;
  waitDays_ = 0;
  return phase;
}

}  // namespace tarnwell
