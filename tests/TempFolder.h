// A temporary folder on the real file system, removed with everything in it,
// and small helpers for the files tests put there.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace tarnwell::testing {

class TempFolder {
public:
  TempFolder() {
    namespace fs = std::filesystem;
    // A fresh, private name: created exclusively, so never someone else's.
    std::random_device random;
    for (;;) {
      const fs::path candidate =
          fs::temp_directory_path() / ("tarnwell-test-" + std::to_string(random()));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, error);
        path_ = candidate.string();
        break;
      }
      if (error) std::abort();
    }
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    // Tests take write permission away; give it back so everything can go.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return (std::filesystem::path(path_) / name).string();
  }

private:
  std::string path_;
};

// The whole file as bytes; empty when it cannot be read.
inline std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

inline void Put(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace tarnwell::testing
