// Test files: their names and the four timed transfers (write or read a whole
// file in 1 KB or 1 MB blocks) through the platform's file system.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/model/RunParameters.h"
#include "engine/verify/PatternBuffer.h"
#include "platform/FileSystem.h"

namespace tarnwell {

class RunVerifier;

enum class TransferStatus {
  Done,
  // The file would not open for reading (missing, no permission, ...).
  OpenFailed,
  // Something other than a plain file (a FIFO, a device, a link) has the
  // test file's name; it was left untouched.
  NotRegular,
  // A plain file with other names too (a hard link); left untouched.
  HardLinked,
  // Not created, a block refused or short, the flush or close refused.
  WriteFailed,
  // A block refused or shorter than asked for.
  ReadFailed,
  // The file system refused direct I/O when opening: it has none.
  NoDirectIo,
  // The device refused direct I/O on the first block (its sectors exceed
  // the block); nothing useful was transferred.
  DirectUnsupported,
  // A stop request arrived between two blocks.
  Stopped,
};

// Whether `status` is the file system or the device refusing direct I/O.
inline bool DirectRefused(TransferStatus status) {
  return status == TransferStatus::NoDirectIo || status == TransferStatus::DirectUnsupported;
}

// Test-file names have eight digits: no run holds more files than that.
inline constexpr std::int32_t MaxTestFiles = 99999999;

// The test files numbered `first` on (at most to `last`), one after another
// as a run writes them, and the space they hold.
struct KeptFiles {
  std::int32_t Count = 0;
  std::int64_t Bytes = 0;
};
KeptFiles KeptTestFiles(platform::FileSystem& files, platform::FolderHandle folder,
                        std::int32_t first, std::int32_t last);
// Removes the test files numbered `first` on that follow one another: only
// plain files under test-file names; a gap, a link or anything else ends it.
void RemoveTestFilesFrom(platform::FileSystem& files, platform::FolderHandle folder,
                         std::int32_t first);

class TestFileTransfers {
public:
  TestFileTransfers(platform::FileSystem& fileSystem, PatternBuffer& buffer,
                    const std::atomic<bool>& stop)
      : fileSystem_(fileSystem), buffer_(buffer), stop_(stop) {}

  // Direct until the file system refuses it, then synchronous buffered.
  platform::IoMode Mode = platform::IoMode::Direct;
  // The locked run folder the test files are named in.
  platform::FolderHandle Folder = platform::InvalidFolder;
  // The native error code behind the last failed transfer, for the message.
  int LastErrorCode = 0;
  // In a verified run: stamps each block before it is written and checks
  // each block read, which then lands in a buffer of its own.
  RunVerifier* Verifier = nullptr;
  // The bytes the reads brought back, summed until reset: a verified run
  // goes on past a short file, and its speed counts only what came back.
  std::int64_t BytesRead = 0;

  platform::OpenResult FileOpenUnbuffered(const char* name);

  TransferStatus WriteTestFileKB(const char* name, std::int32_t blocks);
  TransferStatus WriteTestFileMB(const char* name, std::int32_t blocks);
  TransferStatus ReadTestFileKB(const char* name, std::int32_t blocks);
  TransferStatus ReadTestFileMB(const char* name, std::int32_t blocks);

private:
  TransferStatus WriteBlocks(const char* name, std::int32_t blocks, void* block,
                             std::size_t blockSize);
  TransferStatus ReadBlocks(const char* name, std::int32_t blocks, void* block,
                            std::size_t blockSize);
  // Nothing to go on with the next block, else how the file ends.
  std::optional<TransferStatus> ReadBlock(platform::FileHandle handle, void* block,
                                          std::size_t blockSize, std::int32_t b,
                                          std::int32_t blocks);
  TransferStatus OpenFailure(const platform::OpenResult& file, TransferStatus otherwise);

  platform::FileSystem& fileSystem_;
  PatternBuffer& buffer_;
  const std::atomic<bool>& stop_;
};

}  // namespace tarnwell
