// Fuzzes the .xlsx reader. The first byte picks what the rest is:
//   0  a whole file;
//   1  the worksheet part of an otherwise valid package;
//   2  its shared strings part, read by a worksheet that uses them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/fuzz_packages.h"
#include "interchange/workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // Enough rows to exercise the limit without making each input slow.
  constexpr std::int64_t kMaxRows = 100000;
  const auto* bytes = reinterpret_cast<const std::byte*>(data + 1);
  std::string part(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 3) {
    case 0:
      kelvasta::ReadFirstWorksheetFromMemory(std::span(bytes, size - 1), 3, kMaxRows);
      break;
    case 1:
      kelvasta::ReadFirstWorksheetFromMemory(
          kelvasta::fuzz::PackageAround(part, kelvasta::fuzz::kSeedSharedStrings), 3, kMaxRows);
      break;
    default:
      kelvasta::ReadFirstWorksheetFromMemory(kelvasta::fuzz::PackageAround(kelvasta::fuzz::kSeedSheet, part), 3,
                                             kMaxRows);
      break;
  }
  return 0;
}
