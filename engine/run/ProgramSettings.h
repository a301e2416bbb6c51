// The settings the program adds of its own, in a section of their own so
// that the "Main" section and its keys stay exactly as they are.
#pragma once

#include <string_view>

#include "engine/run/Choices.h"
#include "platform/IniFile.h"

namespace tarnwell {

namespace ProgramKeys {
inline constexpr std::string_view Section = "Tarnwell";
// The window's File-menu check: stamp every sector written, check every
// sector read.
inline constexpr FlagKey Verify{"Verify", false};
}  // namespace ProgramKeys

inline bool ReadProgramFlag(const platform::IniFile& settings, const FlagKey& key) {
  return settings.ReadBool(ProgramKeys::Section, key.Name, key.Default);
}

inline void WriteProgramFlag(platform::IniFile& settings, const FlagKey& key, bool value) {
  settings.WriteBool(ProgramKeys::Section, key.Name, value);
}

}  // namespace tarnwell
