// Fuzzes the text table and .ods readers. The first byte picks what the
// rest is:
//   0  a .csv file, read through the file entry the import uses and then
//      cleaned as the import cleans its values;
//   1  the content.xml of an otherwise valid .ods package;
//   2  a .csv held in memory.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "entry/value_text.h"
#include "fuzz/fuzz_packages.h"
#include "interchange/workbook.h"

namespace {

constexpr std::int64_t kMaxRows = 100000;

// A file of this process's own, named .csv so that it is read as one, and
// removed with its folder when the process ends.
char gFolder[] = "/tmp/kelvasta-table-fuzz-XXXXXX";

const std::string& CsvPath() {
  static const std::string path = [] {
    if (::mkdtemp(gFolder) == nullptr) std::abort();
    std::atexit([] {
      ::unlink((std::string(gFolder) + "/input.csv").c_str());
      ::rmdir(gFolder);
    });
    return std::string(gFolder) + "/input.csv";
  }();
  return path;
}

void ReadCsvFile(const std::uint8_t* data, std::size_t size) {
  const std::string& path = CsvPath();
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  kelvasta::ReadResult read = kelvasta::ReadFirstWorksheet(path, 3, kMaxRows);
  kelvasta::CleanValues(read.sheet.columns, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const auto* bytes = reinterpret_cast<const std::byte*>(data + 1);
  switch (data[0] % 3) {
    case 0:
      ReadCsvFile(data + 1, size - 1);
      break;
    case 1: {
      // Entries handed to libzip without a copy: it never owns (nor, for an
      // empty part, forgets to free) the harness's memory.
      const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
      kelvasta::ReadFirstWorksheetFromMemory(
          kelvasta::fuzz::StoredZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                     {"content.xml", content}}),
          3, kMaxRows);
      break;
    }
    default:
      kelvasta::ReadFirstWorksheetFromMemory(std::span(bytes, size - 1), 3, kMaxRows, {}, "fuzz.csv");
      break;
  }
  return 0;
}
