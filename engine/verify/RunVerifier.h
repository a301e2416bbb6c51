// Checking what a run reads back. In a verified run every block is stamped
// just before it is written (engine/verify/SectorStamp.h). Reading, each block lands
// in one of a few rotating buffers of the verifier's own; a checker thread
// checks a full buffer against the stamps and pattern expected there while
// the next blocks are read into the others. So the timed reads do no checking
// at all, and the verified speeds stay those of the device. Only when every
// buffer still waits for the checker does the reader stand still; that wait is
// measured on the run's clock and left out of the phase's and files' times
// (at one request in flight the device idles meanwhile). The checker runs
// below the reader's priority, so that it never holds the processor when a
// read completes.
//
// The checks run in reading order, so the counts and the first bad sector are
// those a check of each block in turn would find. Memory stays a fixed few MB
// however long the phase.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/model/VerifyRecord.h"
#include "engine/verify/PatternBuffer.h"

namespace tarnwell {

// The run id of a run whose pattern came from `patternSeed`: random above,
// the seed below, so that a read-only run over its files can rebuild the
// pattern they carry.
std::uint64_t RunIdForPattern(std::uint32_t patternSeed);
std::uint32_t PatternSeedOf(std::uint64_t runId);

class RunVerifier {
public:
  // The rotating read buffers: each holds one 1 MB block or 256 1 KB blocks
  // (each block on a boundary of PatternBuffer::Alignment, as direct I/O
  // wants).
  static constexpr std::size_t Buffers = 4;
  static constexpr std::size_t BufferBytes = 1048576;

  // `now` is the run's clock, in days; only the reading thread calls it.
  RunVerifier(PatternBuffer& pattern, std::function<double()> now);
  // Gives the pattern buffer back as it was filled: stamps went into its
  // blocks, and the window's next run, verified or not, writes from it.
  ~RunVerifier();
  RunVerifier(const RunVerifier&) = delete;
  RunVerifier& operator=(const RunVerifier&) = delete;

  bool On() const { return on_; }
  // Switches checking on for a run that writes its files (a fresh run id
  // for the pattern in use) or that reads another run's (the id found in
  // the first sector read, and that run's pattern).
  void Begin(bool readOnly);

  // The test file the next transfers belong to.
  void SetFile(std::int32_t number) { file_ = number; }

  // Writing: stamps block `index` of the current file.
  void Stamp(void* block, std::size_t bytes, std::int32_t index);

  // Reading. A read phase starts the checker before its start stamp and
  // ends it after its end stamp, whether it completed or stopped.
  void BeginReads();
  // Where the next block read lands (of `blockBytes`, one of the pattern's
  // block sizes). Waits while every buffer still waits for the checker.
  void* ReadBuffer(std::size_t blockBytes);
  // `bytes` came back of block `index`, read into the last ReadBuffer; the
  // part of the block that never came back is missing.
  void Check(std::size_t blockBytes, std::size_t bytes, std::int32_t index);
  // Blocks `index` up to `blocks` of the current file never came back.
  void Missing(std::size_t blockBytes, std::int32_t index, std::int32_t blocks);
  // Waits until every block read has been checked; the phase's findings are
  // then complete.
  void EndReads();

  // The phase's findings; starts the next phase afresh.
  PhaseVerification TakePhase();
  // How long the reads of the phase so far stood waiting for the checker,
  // in days.
  double PhaseWaitDays() const { return waitDays_; }

private:
  // One entry of a buffer's list, in reading order: a block read into the
  // buffer at `At`, or blocks that never came back.
  struct Piece {
    std::int32_t File;
    std::int32_t Index;
    std::int32_t Blocks;  // Missing: up to this block
    std::uint32_t BlockBytes;
    std::uint32_t Bytes;  // what came back
    std::uint32_t At;     // where in the buffer
    bool Missing;
  };
  struct Buffer {
    std::uint8_t* Data = nullptr;
    std::size_t Used = 0;
    std::vector<Piece> Pieces;  // reserved up front: no allocation while timed
  };
  struct Free {
    void operator()(std::uint8_t* p) const;
  };

  const std::uint8_t* Expected(std::size_t blockBytes);
  // Makes room in the buffer being filled for one more block of `stride`
  // bytes and two entries, handing over a full buffer and waiting for the
  // next to be free.
  void Room(std::size_t stride);
  void HandOver();
  void CheckerLoop();
  // Checks the oldest buffer handed over; on the checker thread, or on the
  // reader's when no thread could be started.
  void CheckNext();
  void CheckBuffer(const Buffer& buffer);
  void CheckPiece(const std::uint8_t* read, const Piece& piece);

  PatternBuffer& pattern_;
  std::function<double()> now_;
  bool on_ = false;
  bool readOnly_ = false;
  bool stamped_ = false;
  std::int32_t file_ = 0;
  double waitDays_ = 0;  // the reader's

  // The checker's while it runs, the reader's once it has ended.
  bool adopted_ = false;
  std::uint64_t runId_ = 0;
  VerifyResult phase_;
  double checkSeconds_ = 0;
  std::unique_ptr<PatternBuffer> otherPattern_;  // the other run's pattern

  std::unique_ptr<std::uint8_t, Free> memory_;
  Buffer buffers_[Buffers];
  // Buffers are filled and checked in turn: number n is buffers_[n % Buffers].
  std::uint64_t filling_ = 0;  // the reader's: the one it fills (or fills next)
  bool acquired_ = false;      // the reader's: whether that one is free to fill
  std::mutex mutex_;
  std::condition_variable handed_;  // the checker waits for work
  std::condition_variable freed_;   // the reader waits for a buffer
  std::uint64_t handedOver_ = 0;    // guarded: buffers given to the checker
  std::uint64_t checked_ = 0;       // guarded: buffers it has finished
  bool ending_ = false;             // guarded: no more buffers this phase
  std::thread checker_;
};

}  // namespace tarnwell
