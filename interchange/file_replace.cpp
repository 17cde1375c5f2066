#include "interchange/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>

namespace kelvasta {
namespace {

bool WriteAll(int fd, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// The file a chain of symbolic links ends at; `path` itself when it is no
// link. Relative link texts are taken from the folder of the link. False
// for a loop or a link that cannot be read.
bool FollowLinks(const std::string& path, std::string& target) {
  target = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info;
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return true;  // the end of the chain, existing or not
    }
    std::string text(PATH_MAX, '\0');
    ssize_t length = ::readlink(target.c_str(), text.data(), text.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= text.size()) {
      return false;
    }
    text.resize(static_cast<std::size_t>(length));
    if (text.front() == '/') {
      target = text;
    } else {
      std::size_t slash = target.rfind('/');
      target = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + text;
    }
  }
  return false;
}

}  // namespace

WorkbookError ReplaceFileWith(const std::string& linkOrPath, const std::function<bool(int fd, const std::string& temporary)>& write) {
  std::string path;
  if (!FollowLinks(linkOrPath, path)) {
    return WorkbookError::CannotWrite;
  }
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) {
    return WorkbookError::CannotWrite;
  }

  // The rename would replace a file whatever its own permissions: only the
  // folder's count. So an existing file is checked as an open for writing
  // would check it, and a file without any write bit is taken as meant to
  // stay, even for root.
  struct stat existing;
  bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists) {
    if (!S_ISREG(existing.st_mode)) {
      return WorkbookError::CannotWrite;
    }
    if (::access(path.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
      return WorkbookError::ReadOnlyFile;
    }
  }

  std::random_device entropy;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(entropy()));
    temporary = folder + "." + name + suffix + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      return WorkbookError::CannotWrite;
    }
  }
  if (fd < 0) {
    return WorkbookError::CannotWrite;
  }

  bool ok = write(fd, temporary);
  if (ok && exists) {
    ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
  }
  return ok ? WorkbookError::None : WorkbookError::CannotWrite;
}

WorkbookError ReplaceFileContents(const std::string& path, std::span<const std::byte> bytes) {
  return ReplaceFileWith(path, [bytes](int fd, const std::string&) { return WriteAll(fd, bytes); });
}

}  // namespace kelvasta
