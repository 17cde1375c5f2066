#include "interchange/work_file.h"

#include "interchange/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace kelvasta {

namespace {

// Opens without ever waiting (a named pipe would block an ordinary open
// until a writer comes); the type is checked on the path and again on what
// was opened.
int OpenRegular(const std::string& path, WorkError& error) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    error = WorkError::CannotOpen;
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    error = WorkError::NotARegularFile;
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = WorkError::CannotOpen;
    return -1;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    error = WorkError::NotARegularFile;
    return -1;
  }
  return fd;
}

// Reads at most `limit` bytes; more than that (the file may have grown
// since its size was checked) is TooLarge.
WorkError ReadAll(int fd, std::uint64_t limit, std::string& bytes) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return WorkError::CannotOpen;
  if (std::uint64_t(info.st_size) > limit) return WorkError::TooLarge;
  bytes.resize(std::size_t(info.st_size) + 1);
  std::size_t have = 0;
  while (true) {
    if (have == bytes.size()) {
      if (have > limit) return WorkError::TooLarge;
      bytes.resize(std::min<std::uint64_t>(limit + 1, have * 2 + 4096));
    }
    const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return WorkError::CannotOpen;
    if (got == 0) break;
    have += std::size_t(got);
  }
  if (have > limit) return WorkError::TooLarge;
  bytes.resize(have);
  return WorkError::None;
}

}  // namespace

WorkReadResult ReadWorkFile(const std::string& path, const WorkLimits& limits) {
  WorkReadResult result;
  const int fd = OpenRegular(path, result.error);
  if (fd < 0) return result;
  std::string bytes;
  try {
    result.error = ReadAll(fd, limits.maxFileBytes, bytes);
  } catch (const std::bad_alloc&) {
    result.error = WorkError::OutOfMemory;
  }
  ::close(fd);
  if (result.error != WorkError::None) return result;
  return ParseWorkFile(bytes, limits);
}

WorkError WriteWorkFile(const std::string& path, const WorkFile& work) {
  std::string text;
  try {
    text = SerializeWorkFile(work);
  } catch (const std::bad_alloc&) {
    return WorkError::OutOfMemory;
  }
  const auto* data = reinterpret_cast<const std::byte*>(text.data());
  switch (ReplaceFileContents(path, std::span(data, text.size()))) {
    case WorkbookError::None: return WorkError::None;
    case WorkbookError::ReadOnlyFile: return WorkError::ReadOnlyFile;
    default: return WorkError::CannotWrite;
  }
}

std::string DescribeWorkError(WorkError error, std::string_view detail, int version) {
  switch (error) {
    case WorkError::None: return {};
    case WorkError::CannotOpen: return "无法打开文件。";
    case WorkError::NotARegularFile: return "所选的不是普通文件，无法打开。";
    case WorkError::TooLarge: return "文件过大，不是本程序保存的工作文件。";
    case WorkError::NotWorkFile: return "文件不是Kelvasta工作文件。";
    case WorkError::NewerVersion:
      return "文件由较新版本的Kelvasta保存（格式版本 " + std::to_string(version) + "），本版本无法打开。";
    case WorkError::Damaged: return "工作文件已损坏或不完整（" + std::string(detail) + "）。";
    case WorkError::OutOfMemory: return "内存不足，无法打开文件。";
    case WorkError::CannotWrite: return "无法写入文件。";
    case WorkError::ReadOnlyFile: return "文件是只读的，无法覆盖。";
  }
  return {};
}

}  // namespace kelvasta
