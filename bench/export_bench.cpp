// Exporting a million rows of two value lists, as the export writes them:
// random decimals such as a clinician types, to .xlsx (the sheet streamed,
// deflated on a second thread) and to CSV UTF-8. Target on the project's 2-core
// machine: under one second each, the file on disk.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "interchange/workbook.h"

namespace {

constexpr int kRows = 1000000;

const std::vector<std::vector<std::string>>& Lists() {
  static const std::vector<std::vector<std::string>> lists = [] {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> value(0, 999999);
    std::vector<std::vector<std::string>> columns(2);
    for (auto& column : columns) {
      column.reserve(kRows + 14);
      for (int r = 0; r < kRows; ++r) {
        const int v = value(random);
        column.push_back(std::to_string(v / 100) + "." + std::to_string(v % 100));
      }
      column.resize(kRows + 14);
    }
    return columns;
  }();
  return lists;
}

template <kelvasta::WorkbookError (*Write)(const std::string&, const std::vector<std::vector<std::string>>&)>
void BM_Export(benchmark::State& state, const char* extension) {
  const auto& lists = Lists();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("kelvasta_export_bench_" + std::to_string(::getpid()) + extension))
          .string();
  for (auto _ : state) {
    if (Write(path, lists) != kelvasta::WorkbookError::None) state.SkipWithError("the export failed");
  }
  state.counters["mb"] = double(std::filesystem::file_size(path)) / 1e6;
  std::filesystem::remove(path);
}

void BM_ExportXlsx(benchmark::State& state) { BM_Export<&kelvasta::WriteWorkbookXlsx>(state, ".xlsx"); }
void BM_ExportCsv(benchmark::State& state) { BM_Export<&kelvasta::WriteWorkbookCsv>(state, ".csv"); }

// CPU time counts every thread of the process.
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);

}  // namespace
