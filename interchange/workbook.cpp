#include "interchange/workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "interchange/sheet_collector.h"
#include "interchange/xls_reader.h"
#include "interchange/xlsx_reader.h"

namespace kelvasta {
namespace {

enum class Format { Unknown, Zip, CompoundFile };

// Tells the format by the first bytes: a zip local header (or the end record
// of an empty zip), or the OLE2 compound-file signature.
Format FormatOf(std::span<const std::byte> head) {
  static constexpr unsigned char kZip[] = {'P', 'K', 0x03, 0x04};
  static constexpr unsigned char kEmptyZip[] = {'P', 'K', 0x05, 0x06};
  static constexpr unsigned char kOle[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (head.size() >= sizeof kZip &&
      (std::memcmp(head.data(), kZip, sizeof kZip) == 0 ||
       std::memcmp(head.data(), kEmptyZip, sizeof kEmptyZip) == 0)) {
    return Format::Zip;
  }
  if (head.size() >= sizeof kOle && std::memcmp(head.data(), kOle, sizeof kOle) == 0) {
    return Format::CompoundFile;
  }
  return Format::Unknown;
}

ReadResult Finish(WorkbookError error, SheetCollector& sheet) {
  ReadResult result;
  result.error = error;
  if (error == WorkbookError::None) {
    result.sheet = sheet.Finish();
  }
  return result;
}

// The limits bound what a read holds, but memory may be short for other
// reasons; the reader then says so instead of ending the program.
template <typename Read>
ReadResult Guarded(Read read) {
  try {
    return read();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return ReadResult{WorkbookError::OutOfMemory, {}};
}

// Opens a workbook file without ever waiting: a named pipe would block an
// ordinary open until a writer comes, and a device may never answer. The
// type is checked on the path and again on what was opened, in case the
// path was swapped in between. A descriptor of a regular file, or -1 with
// `error` set.
int OpenRegularFile(const std::string& path, WorkbookError& error) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    error = WorkbookError::CannotOpen;
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    error = WorkbookError::NotARegularFile;
    return -1;
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = WorkbookError::CannotOpen;
    return -1;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    error = WorkbookError::NotARegularFile;
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) {
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  return fd;
}

}  // namespace

std::string_view DescribeWorkbookError(WorkbookError error) {
  switch (error) {
    case WorkbookError::None: return "";
    case WorkbookError::CannotOpen: return "无法打开文件。";
    case WorkbookError::NotAWorkbook: return "文件不是Excel工作簿。";
    case WorkbookError::Encrypted: return "工作簿已加密，无法读取。";
    case WorkbookError::Corrupt: return "文件已损坏或不完整。";
    case WorkbookError::TooManyRows: return "数据行数超过程序能容纳的上限。";
    case WorkbookError::TooManyRowsForXls: return "Excel 97-2003 工作簿最多只能保存65536行。";
    case WorkbookError::CannotWrite: return "无法写入文件。";
    case WorkbookError::TooMuchText: return "文件中的文字过多，无法导入。";
    case WorkbookError::OutOfMemory: return "内存不足，无法导入文件。";
    case WorkbookError::NotARegularFile: return "所选的不是普通文件，无法导入。";
    case WorkbookError::ReadOnlyFile: return "文件是只读的，无法覆盖。";
  }
  return "";
}

ReadResult ReadFirstWorksheet(const std::string& path, int columnCount, std::int64_t maxRows,
                              const ReadLimits& limits) {
  WorkbookError error = WorkbookError::None;
  int fd = OpenRegularFile(path, error);
  if (fd < 0) {
    return ReadResult{error, {}};
  }
  std::array<std::byte, 8> head{};
  ssize_t got = ::pread(fd, head.data(), head.size(), 0);
  Format format = got < 0 ? Format::Unknown : FormatOf(std::span(head.data(), static_cast<std::size_t>(got)));
  if (got < 0 || format == Format::Unknown) {
    ::close(fd);
    return ReadResult{got < 0 ? WorkbookError::CannotOpen : WorkbookError::NotAWorkbook, {}};
  }
  // The readers take the file opened here, not the path again.
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return ReadResult{WorkbookError::CannotOpen, {}};
  }
  return Guarded([&] {
    SheetCollector sheet(columnCount, maxRows, limits);
    WorkbookError read = format == Format::Zip ? ReadXlsxFile(file, sheet) : ReadXlsFile(path, file, sheet);
    return Finish(read, sheet);
  });
}

ReadResult ReadFirstWorksheetFromMemory(std::span<const std::byte> bytes, int columnCount,
                                        std::int64_t maxRows, const ReadLimits& limits) {
  return Guarded([&] {
    SheetCollector sheet(columnCount, maxRows, limits);
    switch (FormatOf(bytes)) {
      case Format::Zip: return Finish(ReadXlsxMemory(bytes, sheet), sheet);
      case Format::CompoundFile: return Finish(ReadXlsMemory(bytes, sheet), sheet);
      case Format::Unknown: break;
    }
    return ReadResult{WorkbookError::NotAWorkbook, {}};
  });
}

}  // namespace kelvasta
