#include "engine/TestFiles.h"

#include <cstdio>

namespace tarnwell {

using platform::IoError;

namespace {
constexpr std::size_t OneKilobyteBytes = 1024;
constexpr std::size_t OneMegabyteBytes = 1048576;
}  // namespace

int FormatTestFileName(std::int32_t number, char* out) {
  return std::snprintf(out, TestFileNameCapacity, "%.8d.bin", static_cast<int>(number));
}

std::string TestFileName(std::int32_t number) {
  char name[TestFileNameCapacity];
  return std::string(name, static_cast<std::size_t>(FormatTestFileName(number, name)));
}

platform::OpenResult TestFileTransfers::FileOpenUnbuffered(const char* path) {
  return fileSystem_.OpenForRead(path, Mode);
}

TransferStatus TestFileTransfers::WriteTestFileKB(const char* path, std::int32_t blocks) {
  return WriteBlocks(path, blocks, buffer_.KilobyteBlock(), OneKilobyteBytes);
}

TransferStatus TestFileTransfers::WriteTestFileMB(const char* path, std::int32_t blocks) {
  return WriteBlocks(path, blocks, buffer_.MegabyteBlock(), OneMegabyteBytes);
}

TransferStatus TestFileTransfers::ReadTestFileKB(const char* path, std::int32_t blocks) {
  return ReadBlocks(path, blocks, buffer_.KilobyteBlock(), OneKilobyteBytes);
}

TransferStatus TestFileTransfers::ReadTestFileMB(const char* path, std::int32_t blocks) {
  return ReadBlocks(path, blocks, buffer_.MegabyteBlock(), OneMegabyteBytes);
}

TransferStatus TestFileTransfers::WriteBlocks(const char* path, std::int32_t blocks,
                                              const void* block, std::size_t blockSize) {
  const platform::OpenResult file = fileSystem_.CreateForWrite(path, Mode);
  if (file.error == IoError::DirectUnsupported) return TransferStatus::DirectUnsupported;
  if (file.error != IoError::None) return TransferStatus::WriteFailed;

  TransferStatus status = TransferStatus::Done;
  for (std::int32_t b = 0; b < blocks; ++b) {
    if (stop_.load(std::memory_order_relaxed)) {
      status = TransferStatus::Stopped;
      break;
    }
    const platform::TransferResult written = fileSystem_.Write(file.handle, block, blockSize);
    if (written.error == IoError::DirectUnsupported && b == 0) {
      status = TransferStatus::DirectUnsupported;
      break;
    }
    if (written.error != IoError::None || written.bytes != blockSize) {
      status = TransferStatus::WriteFailed;
      break;
    }
  }
  if (status == TransferStatus::Done) {
    if (!fileSystem_.Flush(file.handle)) status = TransferStatus::WriteFailed;
    // Without direct I/O the written pages would stay cached and a later read
    // would measure memory; let them go now that they are on the device.
    if (Mode != platform::IoMode::Direct) fileSystem_.DropCache(file.handle);
  }
  if (!fileSystem_.Close(file.handle) && status == TransferStatus::Done) {
    status = TransferStatus::WriteFailed;
  }
  return status;
}

TransferStatus TestFileTransfers::ReadBlocks(const char* path, std::int32_t blocks, void* block,
                                             std::size_t blockSize) {
  const platform::OpenResult file = FileOpenUnbuffered(path);
  if (file.error == IoError::DirectUnsupported) return TransferStatus::DirectUnsupported;
  if (file.error != IoError::None) return TransferStatus::OpenFailed;

  TransferStatus status = TransferStatus::Done;
  for (std::int32_t b = 0; b < blocks; ++b) {
    if (stop_.load(std::memory_order_relaxed)) {
      status = TransferStatus::Stopped;
      break;
    }
    const platform::TransferResult read = fileSystem_.Read(file.handle, block, blockSize);
    if (read.error == IoError::DirectUnsupported && b == 0) {
      status = TransferStatus::DirectUnsupported;
      break;
    }
    if (read.error != IoError::None || read.bytes != blockSize) {
      status = TransferStatus::ReadFailed;
      break;
    }
  }
  fileSystem_.Close(file.handle);
  return status;
}

}  // namespace tarnwell
