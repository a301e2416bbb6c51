// Small text files the program keeps for the user: appending a line so that
// concurrent writers never interleave, and reading a file whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwell::platform {

// Appends `line` and a line end to `path` in one write, flushed to the device;
// the file (owner-only) and its folder are created when missing. Two programs
// appending at once never mix their lines. Never follows a link at `path`.
bool AppendLine(const std::string& path, std::string_view line);

// The whole of a plain file; nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace tarnwell::platform
