// Small text files the program keeps for the user: appending a line so that
// concurrent writers never interleave, and reading a file in pieces, so that
// a long one never has to fit in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace tarnwell::platform {

// Opening or appending answers a Status: None; NotFound (nothing at the
// path); NotRegular (a folder, link, FIFO or device is there, and was left
// alone); Failed, with the system's code.

// Appends `line` and a line end to `path` in one write, flushed to the device;
// the file (owner-only) and its folder are created when missing. Two programs
// appending at once never mix their lines. Only a plain file is written: a
// link, FIFO or device at `path` is left alone, and nothing waits on one.
// A line the disk cannot hold whole is taken back (the file is cut to its
// former length), and when the file's last line lacks its end (an older
// torn append), the new line starts on a line of its own.
Status AppendLine(const std::string& path, std::string_view line);

// A plain file, read at any offset.
class TextFileReader {
public:
  TextFileReader() = default;
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  // Opens `path` for reading, only when it is a plain file (links to one are
  // followed), never waiting on a FIFO or device.
  Status Open(const std::string& path);
  // The length when opened; lines appended later are not read.
  std::int64_t Size() const { return size_; }
  // Up to `size` bytes from `offset`; fewer only at the end of the file.
  TransferResult ReadAt(std::int64_t offset, char* data, std::size_t size);

private:
  std::int64_t handle_ = -1;
  std::int64_t size_ = 0;
};

}  // namespace tarnwell::platform
