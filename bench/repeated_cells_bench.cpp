// Reading chosen columns of an .ods whose rows repeat one cell across the
// whole sheet width: 496 bytes on disk, one cell repeated 16,384 times on
// each of 1,000,000 rows (one row element repeated). The columns not kept
// must cost nothing, so A with B and A with XFD take the same time. Target
// on the project's 2-core machine: 0.5 s for either pair.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "interchange/workbook.h"

namespace {

constexpr std::int64_t kRows = 1000000;

class RepeatedOds {
 public:
  RepeatedOds() {
    path_ = (std::filesystem::temp_directory_path() / ("kelvasta-repeat-" + std::to_string(::getpid()) + ".ods")).string();
    const std::string content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
        "<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"" + std::to_string(kRows) +
        "\"><table:table-cell table:number-columns-repeated=\"16384\" office:value-type=\"float\" "
        "office:value=\"1\"><text:p>1</text:p></table:table-cell></table:table-row></table:table>"
        "</office:spreadsheet></office:body></office:document-content>";
    const std::string mimetype = "application/vnd.oasis.opendocument.spreadsheet";
    int error = 0;
    zip_t* archive = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr ||
        zip_file_add(archive, "mimetype", zip_source_buffer(archive, mimetype.data(), mimetype.size(), 0), 0) < 0 ||
        zip_file_add(archive, "content.xml", zip_source_buffer(archive, content.data(), content.size(), 0), 0) < 0 ||
        zip_close(archive) != 0) {
      throw std::runtime_error("cannot write the .ods");
    }
  }
  ~RepeatedOds() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const RepeatedOds& File() {
  static const RepeatedOds file;
  return file;
}

// state.range(0) is the second column's index: 1 (B) or 16383 (XFD).
void BM_ReadRepeatedOdsColumns(benchmark::State& state) {
  const std::vector<int> columns{0, static_cast<int>(state.range(0))};
  for (auto _ : state) {
    kelvasta::ReadResult read = kelvasta::ReadWorksheetColumns(File().path(), 0, columns, 1048576);
    if (read.error != kelvasta::WorkbookError::None || read.sheet.lastUsedRow != kRows ||
        read.sheet.columns.at(1).back() != "1") {
      state.SkipWithError("the columns did not read completely");
      break;
    }
    benchmark::DoNotOptimize(read);
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(File().path()));
}
BENCHMARK(BM_ReadRepeatedOdsColumns)->Arg(1)->Arg(16383)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
