// Fuzzes the text table and .ods readers. The first byte picks what the
// rest is:
//   0  a .csv file;
//   1  the content.xml of an otherwise valid .ods package.

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "interchange/workbook.h"

namespace {

std::vector<std::byte> OdsAround(const std::string& content) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  zip_source_keep(buffer);
  auto add = [&](const char* name, const std::string& text) {
    void* copy = std::malloc(text.size() + 1);
    std::memcpy(copy, text.data(), text.size());
    zip_file_add(archive, name, zip_source_buffer(archive, copy, text.size(), 1), 0);
  };
  add("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
  add("content.xml", content);
  zip_close(archive);
  zip_stat_t stat;
  zip_source_open(buffer);
  zip_source_stat(buffer, &stat);
  std::vector<std::byte> bytes(stat.size);
  zip_source_read(buffer, bytes.data(), stat.size);
  zip_source_close(buffer);
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  constexpr std::int64_t kMaxRows = 100000;
  const auto* bytes = reinterpret_cast<const std::byte*>(data + 1);
  if (data[0] % 2 == 0) {
    kelvasta::ReadFirstWorksheetFromMemory(std::span(bytes, size - 1), 3, kMaxRows, {}, "fuzz.csv");
  } else {
    std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
    kelvasta::ReadFirstWorksheetFromMemory(OdsAround(content), 3, kMaxRows);
  }
  return 0;
}
