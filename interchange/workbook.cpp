#include "interchange/workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>

#include "interchange/sheet_collector.h"
#include "interchange/text_table.h"
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

// .csv, .tsv and .txt, in any letter case.
bool IsTextTableName(std::string_view name) {
  std::size_t dot = name.rfind('.');
  std::size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) {
    return false;
  }
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension == "csv" || extension == "tsv" || extension == "txt";
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
    case WorkbookError::TooManyRowsForXlsx: return "Excel 工作簿最多只能保存1048576行。";
    case WorkbookError::CannotWrite: return "无法写入文件。";
    case WorkbookError::TooMuchText: return "文件中的文字过多，无法导入。";
    case WorkbookError::OutOfMemory: return "内存不足，无法导入文件。";
    case WorkbookError::NotARegularFile: return "所选的不是普通文件，无法导入。";
    case WorkbookError::ReadOnlyFile: return "文件是只读的，无法覆盖。";
    case WorkbookError::NotText: return "文件不是可识别的文本表格：含有二进制数据，或文字编码无法识别。";
    case WorkbookError::UnbalancedQuote: return "文本文件中的引号没有配对，文件可能不完整。";
    case WorkbookError::UnclearSeparator: return "无法确定文本文件的分隔符：各行混用了逗号、分号或制表符。";
  }
  return "";
}

namespace {

// Reads a file into `sheet` by its name and content.
WorkbookError ReadInto(const std::string& path, SheetCollector& sheet) {
  WorkbookError error = WorkbookError::None;
  int fd = OpenRegularFile(path, error);
  if (fd < 0) {
    return error;
  }
  std::array<std::byte, 8> head{};
  ssize_t got = ::pread(fd, head.data(), head.size(), 0);
  if (got < 0) {
    ::close(fd);
    return WorkbookError::CannotOpen;
  }
  Format format = FormatOf(std::span(head.data(), static_cast<std::size_t>(got)));
  if (format == Format::Unknown) {
    if (IsTextTableName(path)) {
      return ReadTextTableFile(fd, sheet);
    }
    ::close(fd);
    return WorkbookError::NotAWorkbook;
  }
  // The readers take the file opened here, not the path again.
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return WorkbookError::CannotOpen;
  }
  return format == Format::Zip ? ReadXlsxFile(file, sheet) : ReadXlsFile(path, file, sheet);
}

WorkbookError ReadMemoryInto(std::span<const std::byte> bytes, std::string_view name, SheetCollector& sheet) {
  switch (FormatOf(bytes)) {
    case Format::Zip: return ReadXlsxMemory(bytes, sheet);
    case Format::CompoundFile: return ReadXlsMemory(bytes, sheet);
    case Format::Unknown: break;
  }
  if (IsTextTableName(name)) {
    return ReadTextTable(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), sheet);
  }
  return WorkbookError::NotAWorkbook;
}

}  // namespace

ReadResult ReadFirstWorksheet(const std::string& path, int columnCount, std::int64_t maxRows,
                              const ReadLimits& limits) {
  return Guarded([&] {
    SheetCollector sheet(columnCount, maxRows, limits);
    return Finish(ReadInto(path, sheet), sheet);
  });
}

ReadResult ReadFirstWorksheetFromMemory(std::span<const std::byte> bytes, int columnCount,
                                        std::int64_t maxRows, const ReadLimits& limits, std::string_view name) {
  return Guarded([&] {
    SheetCollector sheet(columnCount, maxRows, limits);
    return Finish(ReadMemoryInto(bytes, name, sheet), sheet);
  });
}

PreviewResult PreviewWorkbook(const std::string& path, int sheetIndex, int maxRows, const ReadLimits& limits) {
  try {
    std::vector<std::int64_t> columns(kMaxPreviewColumns);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      columns[c] = static_cast<std::int64_t>(c) + 1;
    }
    SheetCollector sheet(columns, kMaxSheetRow, limits);
    sheet.ChooseSheet(sheetIndex, true);
    sheet.StopAfterRow(std::max(maxRows, 0));
    PreviewResult result;
    if (sheetIndex < 0) {
      result.error = WorkbookError::NotAWorkbook;
      return result;
    }
    result.error = ReadInto(path, sheet);
    if (result.error != WorkbookError::None) {
      return result;
    }
    std::vector<std::string> names = std::move(sheet.sheetNames());
    if (names.empty() && IsTextTableName(path)) {
      names.push_back(std::filesystem::path(path).stem().string());
    }
    SheetColumns read = sheet.Finish();
    std::size_t width = 0;
    for (std::size_t c = 0; c < read.columns.size(); ++c) {
      for (const std::string& text : read.columns[c]) {
        if (!text.empty()) {
          width = c + 1;
          break;
        }
      }
    }
    result.preview.sheetNames = std::move(names);
    result.preview.columnCount = static_cast<int>(width);
    result.preview.rows.resize(static_cast<std::size_t>(read.lastUsedRow));
    for (std::size_t r = 0; r < result.preview.rows.size(); ++r) {
      std::vector<std::string>& row = result.preview.rows[r];
      row.resize(width);
      for (std::size_t c = 0; c < width; ++c) {
        row[c] = std::move(read.columns[c][r]);
      }
    }
    return result;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return PreviewResult{WorkbookError::OutOfMemory, {}};
}

ReadResult ReadWorksheetColumns(const std::string& path, int sheetIndex, std::span<const int> columnIndexes,
                                std::int64_t maxRows, const ReadLimits& limits) {
  return Guarded([&] {
    if (sheetIndex < 0) {
      return ReadResult{WorkbookError::NotAWorkbook, {}};
    }
    // Each distinct column is read once and copied for its repeats.
    std::vector<std::int64_t> distinct;
    std::vector<std::size_t> slotOf(columnIndexes.size());
    for (std::size_t k = 0; k < columnIndexes.size(); ++k) {
      std::int64_t column = std::int64_t{columnIndexes[k]} + 1;
      auto found = std::find(distinct.begin(), distinct.end(), column);
      slotOf[k] = static_cast<std::size_t>(found - distinct.begin());
      if (found == distinct.end()) {
        distinct.push_back(column);
      }
    }
    SheetCollector sheet(distinct, maxRows, limits);
    sheet.ChooseSheet(sheetIndex, false);
    WorkbookError error = ReadInto(path, sheet);
    ReadResult result = Finish(error, sheet);
    if (result.error != WorkbookError::None) {
      return result;
    }
    std::vector<std::vector<std::string>> columns(columnIndexes.size());
    for (std::size_t k = 0; k < columnIndexes.size(); ++k) {
      bool lastUse = std::find(slotOf.begin() + static_cast<std::ptrdiff_t>(k) + 1, slotOf.end(), slotOf[k]) == slotOf.end();
      std::vector<std::string>& source = result.sheet.columns[slotOf[k]];
      columns[k] = lastUse ? std::move(source) : source;
    }
    result.sheet.columns = std::move(columns);
    return result;
  });
}

}  // namespace kelvasta
