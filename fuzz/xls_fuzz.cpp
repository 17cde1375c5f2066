// Fuzzes the .xls reader. The first byte picks what the rest is:
//   0  a whole file (compound file around the workbook stream);
//   1  the records of the workbook stream itself.

#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"
#include "interchange/xls_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  constexpr std::int64_t kMaxRows = 100000;
  if (data[0] % 2 == 0) {
    kelvasta::ReadFirstWorksheetFromMemory(std::span(reinterpret_cast<const std::byte*>(data + 1), size - 1), 3,
                                           kMaxRows);
  } else {
    kelvasta::SheetCollector sheet(3, kMaxRows);
    if (kelvasta::ReadWorkbookStream(std::span(data + 1, size - 1), sheet) == kelvasta::WorkbookError::None) {
      sheet.Finish();
    }
  }
  return 0;
}
