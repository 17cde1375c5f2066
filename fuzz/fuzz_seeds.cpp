// Writes starting inputs for the fuzz targets: fuzz_seeds XLSX_DIR XLS_DIR.
// Each file starts with the byte that picks the target's mode.

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_packages.h"
#include "interchange/workbook.h"

namespace {

void Write(const std::string& path, char mode, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.put(mode);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds XLSX_DIR XLS_DIR\n");
    return 2;
  }
  std::string xlsxDir = argv[1];
  std::string xlsDir = argv[2];
  using kelvasta::fuzz::kSeedSharedStrings;
  using kelvasta::fuzz::kSeedSheet;
  std::vector<std::byte> package = kelvasta::fuzz::PackageAround(kSeedSheet, kSeedSharedStrings);
  Write(xlsxDir + "/package", 0, package.data(), package.size());
  Write(xlsxDir + "/sheet", 1, kSeedSheet.data(), kSeedSheet.size());
  Write(xlsxDir + "/strings", 2, kSeedSharedStrings.data(), kSeedSharedStrings.size());

  std::vector<std::vector<std::string>> columns{{"5", "7", "血压", "", "1E+15"}, {"a", std::string(300, 'x'), "6"}, {}};
  for (int i = 0; i < 600; ++i) {
    columns[2].push_back("s" + std::to_string(i));  // enough strings for a CONTINUE
  }
  std::vector<std::byte> xls;
  if (kelvasta::BuildWorkbookXls(columns, xls) != kelvasta::WorkbookError::None) {
    return 1;
  }
  Write(xlsDir + "/workbook", 0, xls.data(), xls.size());

  // The workbook stream alone, for the record-level mode.
  gsf_init();
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(xls.data()),
                                         static_cast<gsf_off_t>(xls.size()), FALSE);
  GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
  g_object_unref(input);
  if (ole == nullptr) {
    return 1;
  }
  GsfInput* stream = gsf_infile_child_by_name(ole, "Workbook");
  std::vector<guint8> records(static_cast<std::size_t>(gsf_input_size(stream)));
  gsf_input_read(stream, records.size(), records.data());
  g_object_unref(stream);
  g_object_unref(ole);
  Write(xlsDir + "/records", 1, records.data(), records.size());
  return 0;
}
