// Fuzzes the work file reader: the whole input is a work file's text. A
// text that reads is written again and must read back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "interchange/work_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelvasta::WorkLimits limits;
  limits.maxListItems = 10000;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kelvasta::WorkReadResult read = kelvasta::ParseWorkFile(text, limits);
  if (read.error == kelvasta::WorkError::None) {
    const kelvasta::WorkReadResult again = kelvasta::ParseWorkFile(kelvasta::SerializeWorkFile(read.work), limits);
    if (again.error != kelvasta::WorkError::None || !(again.work == read.work)) std::abort();
  }
  return 0;
}
