// A temporary folder on the real file system, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tarnwell::testing {

class TempFolder {
public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarnwell-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

}  // namespace tarnwell::testing
