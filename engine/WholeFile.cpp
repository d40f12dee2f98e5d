#include "engine/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

constexpr mode_t kNewFileMode = 0644;

// The file's permission bits, or those of a new file when there is none.
mode_t keptMode(const std::filesystem::path& file) {
  struct stat status {};
  return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : kNewFileMode;
}

bool writeAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

bool writeWholeFile(const std::filesystem::path& file, std::string_view contents) {
  std::string temporary = file.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  // The data reaches the disk before the rename makes it the file: after a
  // crash the name never points at a file whose blocks were not written.
  bool written = writeAll(fd, contents) && ::fchmod(fd, keptMode(file)) == 0 && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && ::rename(temporary.c_str(), file.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}
