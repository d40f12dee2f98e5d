#pragma once
// A fresh temporary folder for one test, removed afterwards. With
// ScopedWorkingDirectory the test runs inside it, as the game runs inside its
// run folder.

#include <filesystem>
#include <string>

// The whole file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& path() const { return root; }
  // Writes a file below the folder (creating its parent folders) and returns its path.
  std::filesystem::path write(const std::string& relative, const std::string& contents) const;
  std::string read(const std::string& relative) const { return readFile(root / relative); }

 private:
  std::filesystem::path root;
};

class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::filesystem::path& folder) : previous(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
  }

 private:
  std::filesystem::path previous;
};
