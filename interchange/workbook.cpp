#include "interchange/workbook.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

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
  }
  return "";
}

ReadResult ReadFirstWorksheet(const std::string& path, int columnCount, std::int64_t maxRows) {
  std::array<std::byte, 8> head{};
  std::size_t got = 0;
  {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
      return ReadResult{WorkbookError::CannotOpen, {}};
    }
    got = std::fread(head.data(), 1, head.size(), file.get());
    if (got < head.size() && std::ferror(file.get())) {
      return ReadResult{WorkbookError::CannotOpen, {}};  // a folder, for one
    }
  }
  SheetCollector sheet(columnCount, maxRows);
  switch (FormatOf(std::span(head.data(), got))) {
    case Format::Zip: return Finish(ReadXlsxFile(path, sheet), sheet);
    case Format::CompoundFile: return Finish(ReadXlsFile(path, sheet), sheet);
    case Format::Unknown: break;
  }
  return ReadResult{WorkbookError::NotAWorkbook, {}};
}

ReadResult ReadFirstWorksheetFromMemory(std::span<const std::byte> bytes, int columnCount,
                                        std::int64_t maxRows) {
  SheetCollector sheet(columnCount, maxRows);
  switch (FormatOf(bytes)) {
    case Format::Zip: return Finish(ReadXlsxMemory(bytes, sheet), sheet);
    case Format::CompoundFile: return Finish(ReadXlsMemory(bytes, sheet), sheet);
    case Format::Unknown: break;
  }
  return ReadResult{WorkbookError::NotAWorkbook, {}};
}

}  // namespace kelvasta
