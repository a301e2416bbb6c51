// Test-file names and the four timed transfers.
#include "engine/run/TestFiles.h"

#include "engine/model/RunParameters.h"
#include "engine/verify/RunVerifier.h"

namespace tarnwell {

using platform::IoError;

namespace {
constexpr auto OneKilobyteBytes = static_cast<std::size_t>(OneKilobyte);
constexpr auto OneMegabyteBytes = static_cast<std::size_t>(OneMegabyte);
}  // namespace

platform::OpenResult TestFileTransfers::FileOpenUnbuffered(const char* name) {
  return fileSystem_.OpenForRead(Folder, name, Mode);
}

TransferStatus TestFileTransfers::OpenFailure(const platform::OpenResult& file,
                                              TransferStatus otherwise) {
  LastErrorCode = file.code;
  switch (file.error) {
    case IoError::DirectUnsupported:
      return TransferStatus::NoDirectIo;
    case IoError::NotRegular:
      return TransferStatus::NotRegular;
    case IoError::HardLinked:
      return TransferStatus::HardLinked;
    default:
      return otherwise;
  }
}

TransferStatus TestFileTransfers::WriteTestFileKB(const char* name, std::int32_t blocks) {
  return WriteBlocks(name, blocks, buffer_.KilobyteBlock(), OneKilobyteBytes);
}

TransferStatus TestFileTransfers::WriteTestFileMB(const char* name, std::int32_t blocks) {
  return WriteBlocks(name, blocks, buffer_.MegabyteBlock(), OneMegabyteBytes);
}

TransferStatus TestFileTransfers::ReadTestFileKB(const char* name, std::int32_t blocks) {
  return ReadBlocks(name, blocks, buffer_.KilobyteBlock(), OneKilobyteBytes);
}

TransferStatus TestFileTransfers::ReadTestFileMB(const char* name, std::int32_t blocks) {
  return ReadBlocks(name, blocks, buffer_.MegabyteBlock(), OneMegabyteBytes);
}

TransferStatus TestFileTransfers::WriteBlocks(const char* name, std::int32_t blocks, void* block,
                                              std::size_t blockSize) {
  const platform::OpenResult file = fileSystem_.CreateForWrite(Folder, name, Mode);
  if (file.error != IoError::None) return OpenFailure(file, TransferStatus::WriteFailed);

  TransferStatus status = TransferStatus::Done;
  for (std::int32_t b = 0; b < blocks; ++b) {
    if (stop_.load(std::memory_order_relaxed)) {
      status = TransferStatus::Stopped;
      break;
    }
    if (Verifier != nullptr) Verifier->Stamp(block, blockSize, b);
    const platform::TransferResult written = fileSystem_.Write(file.handle, block, blockSize);
    if (written.error == IoError::DirectUnsupported && b == 0) {
      status = TransferStatus::DirectUnsupported;
      break;
    }
    if (written.error != IoError::None || written.bytes != blockSize) {
      LastErrorCode = written.code;
      status = TransferStatus::WriteFailed;
      break;
    }
  }
  if (status == TransferStatus::Done) {
    if (const platform::Status flushed = fileSystem_.Flush(file.handle); !flushed.Ok()) {
      LastErrorCode = flushed.code;
      status = TransferStatus::WriteFailed;
    }
    // Without direct I/O the written pages would stay cached and a later read
    // would measure memory; let them go now that they are on the device.
    if (Mode != platform::IoMode::Direct) fileSystem_.DropCache(file.handle);
  }
  if (const platform::Status closed = fileSystem_.Close(file.handle);
      !closed.Ok() && status == TransferStatus::Done) {
    LastErrorCode = closed.code;
    status = TransferStatus::WriteFailed;
  }
  return status;
}

std::optional<TransferStatus> TestFileTransfers::ReadBlock(platform::FileHandle handle, void* block,
                                                           std::size_t blockSize, std::int32_t b,
                                                           std::int32_t blocks) {
  // A verified run reads each block into the verifier's next buffer and
  // leaves the checking to it.
  void* target = Verifier != nullptr ? Verifier->ReadBuffer(blockSize) : block;
  const platform::TransferResult read = fileSystem_.Read(handle, target, blockSize);
  if (read.error == IoError::DirectUnsupported && b == 0) return TransferStatus::DirectUnsupported;
  const bool whole = read.error == IoError::None && read.bytes == blockSize;
  if (read.error == IoError::None) BytesRead += static_cast<std::int64_t>(read.bytes);
  // A verified run counts what never came back (a short file, a failed
  // read) as missing sectors and goes on: that is its finding.
  if (Verifier != nullptr) {
    if (read.error == IoError::None) Verifier->Check(blockSize, read.bytes, b);
    if (whole) return std::nullopt;
    Verifier->Missing(blockSize, read.error == IoError::None ? b + 1 : b, blocks);
    return TransferStatus::Done;
  }
  if (whole) return std::nullopt;
  LastErrorCode = read.code;
  return TransferStatus::ReadFailed;
}

TransferStatus TestFileTransfers::ReadBlocks(const char* name, std::int32_t blocks, void* block,
                                             std::size_t blockSize) {
  const platform::OpenResult file = FileOpenUnbuffered(name);
  if (file.error != IoError::None) return OpenFailure(file, TransferStatus::OpenFailed);

  TransferStatus status = TransferStatus::Done;
  for (std::int32_t b = 0; b < blocks; ++b) {
    if (stop_.load(std::memory_order_relaxed)) {
      status = TransferStatus::Stopped;
      break;
    }
    if (const std::optional<TransferStatus> ended =
            ReadBlock(file.handle, block, blockSize, b, blocks)) {
      status = *ended;
      break;
    }
  }
  // After a read the file holds nothing to lose; the read's status is the answer.
  platform::BestEffort(fileSystem_.Close(file.handle));
  return status;
}

KeptFiles KeptTestFiles(platform::FileSystem& files, platform::FolderHandle folder,
                        std::int32_t first, std::int32_t last) {
  KeptFiles kept;
  char name[TestFileNameCapacity];
  for (std::int32_t j = first; j <= last; ++j) {
    FormatTestFileName(j, name);
    const std::int64_t bytes = files.TestFileBytes(folder, name);
    if (bytes < 0) break;
    ++kept.Count;
    kept.Bytes += bytes;
  }
  return kept;
}

void RemoveTestFilesFrom(platform::FileSystem& files, platform::FolderHandle folder,
                         std::int32_t first) {
  char name[TestFileNameCapacity];
  for (std::int32_t j = first; j > 0 && j <= MaxTestFiles; ++j) {
    FormatTestFileName(j, name);
    if (files.TestFileBytes(folder, name) < 0 || !files.RemoveFile(folder, name).Ok()) return;
  }
}

}  // namespace tarnwell
