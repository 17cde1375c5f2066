// Reading the first worksheet of large workbooks: a 1,000,000-row,
// two-column .xlsx laid out the way LibreOffice writes it (no shared
// strings, every row and cell with its r attribute) and a 65,536-row .xls as
// our writer makes it. Targets on the project's 2-core machine: 1.5 s and at
// most 150 MB of memory beyond the idle program for the .xlsx, 0.1 s for the
// .xls. The same million rows come as a UTF-8 .csv (target 0.5 s) and as
// an .ods laid out the way LibreOffice writes it. The whole import of the
// .xlsx into the window: 0.75 s and 120 MB beyond the idle program. The
// "peak_rss_mb" counter is the peak resident memory during the reads less
// the resident memory before them.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "interchange/workbook.h"

#include <QApplication>

namespace {

constexpr int kXlsxRows = 1000000;
constexpr int kXlsRows = 65536;

// Resident and peak resident memory of this process, in kB.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) {
      return std::stol(line.substr(std::string(field).size()));
    }
  }
  return 0;
}

// Starts a new peak-memory measurement (Linux: "5" resets VmHWM to VmRSS).
void ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

class Workbooks {
 public:
  Workbooks() {
    folder_ = std::filesystem::temp_directory_path() / ("kelvasta-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    WriteXlsx();
    WriteXls();
    WriteCsv();
    WriteOds();
  }
  ~Workbooks() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string xlsx() const { return (folder_ / "million.xlsx").string(); }
  std::string xls() const { return (folder_ / "rows.xls").string(); }
  std::string csv() const { return (folder_ / "million.csv").string(); }
  std::string ods() const { return (folder_ / "million.ods").string(); }

 private:
  void AddText(zip_t* archive, const char* name, const std::string& text) {
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    if (zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
      throw std::runtime_error("zip_file_add failed");
    }
  }

  // Streams the sheet to a file first so that making it costs little memory.
  void WriteXlsx() {
    std::string sheetPath = (folder_ / "sheet1.xml").string();
    std::FILE* sheet = std::fopen(sheetPath.c_str(), "wb");
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<sheetPr filterMode=\"false\"><pageSetUpPr fitToPage=\"false\"/></sheetPr>"
               "<dimension ref=\"A1:B1000000\"/><sheetViews><sheetView showFormulas=\"false\" "
               "showGridLines=\"true\" tabSelected=\"true\" workbookViewId=\"0\"><selection pane=\"topLeft\" "
               "activeCell=\"A1\" activeCellId=\"0\" sqref=\"A1\"/></sheetView></sheetViews>"
               "<sheetFormatPr defaultColWidth=\"11.53515625\" defaultRowHeight=\"12.8\"/>"
               "<cols><col collapsed=\"false\" customWidth=\"false\" hidden=\"false\" outlineLevel=\"0\" "
               "max=\"1025\" min=\"1\" style=\"0\" width=\"11.52\"/></cols><sheetData>",
               sheet);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> systolic(9000, 18000);  // 90.00 to 180.00
    std::uniform_int_distribution<int> diastolic(500, 1200);   // 50.0 to 120.0
    char row[512];
    for (int r = 1; r <= kXlsxRows; ++r) {
      int a = systolic(random);
      int b = diastolic(random);
      std::snprintf(row, sizeof row,
                    "<row r=\"%d\" customFormat=\"false\" ht=\"12.8\" hidden=\"false\" customHeight=\"false\" "
                    "outlineLevel=\"0\" collapsed=\"false\"><c r=\"A%d\" s=\"0\" t=\"n\"><v>%d.%02d</v></c>"
                    "<c r=\"B%d\" s=\"0\" t=\"n\"><v>%d.%d</v></c></row>",
                    r, r, a / 100, a % 100, r, b / 10, b % 10);
      std::fputs(row, sheet);
    }
    std::fputs("</sheetData><printOptions headings=\"false\" gridLines=\"false\" gridLinesSet=\"true\" "
               "horizontalCentered=\"false\" verticalCentered=\"false\"/><pageMargins left=\"0.7875\" "
               "right=\"0.7875\" top=\"1.05277777777778\" bottom=\"1.05277777777778\" header=\"0.7875\" "
               "footer=\"0.7875\"/></worksheet>",
               sheet);
    std::fclose(sheet);

    int error = 0;
    zip_t* archive = zip_open(xlsx().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
      throw std::runtime_error("cannot create the .xlsx");
    }
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    contentTypes_ =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
        "content-types\"><Override PartName=\"/_rels/.rels\" ContentType=\"application/"
        "vnd.openxmlformats-package.relationships+xml\"/><Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>";
    rootRels_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + rel +
                "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    workbook_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workbook xmlns=\"http://schemas.openxmlformats.org/"
                "spreadsheetml/2006/main\" xmlns:r=\"" + rel + "\"><fileVersion appName=\"Calc\"/><workbookPr "
                "backupFile=\"false\" showObjects=\"all\" date1904=\"false\"/><bookViews><workbookView "
                "activeTab=\"0\"/></bookViews><sheets><sheet name=\"Sheet1\" sheetId=\"1\" state=\"visible\" "
                "r:id=\"rId2\"/></sheets><calcPr iterateCount=\"100\" refMode=\"A1\" iterate=\"false\" "
                "iterateDelta=\"0.001\"/></workbook>";
    workbookRels_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                    "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + rel +
                    "/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
                    "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
    styles_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<styleSheet xmlns=\"http://schemas.openxmlformats.org/"
              "spreadsheetml/2006/main\"><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
              "borderId=\"0\"/></cellXfs></styleSheet>";
    AddText(archive, "[Content_Types].xml", contentTypes_);
    AddText(archive, "_rels/.rels", rootRels_);
    AddText(archive, "xl/_rels/workbook.xml.rels", workbookRels_);
    AddText(archive, "xl/workbook.xml", workbook_);
    AddText(archive, "xl/styles.xml", styles_);
    zip_source_t* source = zip_source_file(archive, sheetPath.c_str(), 0, -1);
    if (zip_file_add(archive, "xl/worksheets/sheet1.xml", source, 0) < 0 ||
        zip_close(archive) != 0) {
      throw std::runtime_error("cannot write the .xlsx");
    }
    std::filesystem::remove(sheetPath);
  }

  void WriteXls() {
    std::vector<std::vector<std::string>> columns(2);
    for (int r = 0; r < kXlsRows; ++r) {
      columns[0].push_back(std::to_string(90 + r % 90) + "." + std::to_string(r % 100));
      columns[1].push_back(r % 50 == 0 ? "缺失" : std::to_string(50 + r % 70));
    }
    if (kelvasta::WriteWorkbookXls(xls(), columns) != kelvasta::WorkbookError::None) {
      throw std::runtime_error("cannot write the .xls");
    }
  }

  // The same values as the .xlsx, as Excel saves "CSV UTF-8" (with a mark).
  void WriteCsv() {
    std::FILE* file = std::fopen(csv().c_str(), "wb");
    std::fputs("\xEF\xBB\xBF", file);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> systolic(9000, 18000);
    std::uniform_int_distribution<int> diastolic(500, 1200);
    for (int r = 1; r <= kXlsxRows; ++r) {
      int a = systolic(random);
      int b = diastolic(random);
      std::fprintf(file, "%d.%02d,%d.%d\r\n", a / 100, a % 100, b / 10, b % 10);
    }
    std::fclose(file);
  }

  // The same values as LibreOffice writes an .ods: typed cells with their
  // shown text, and the trailing empty rows as one repeat.
  void WriteOds() {
    std::string contentPath = (folder_ / "content.xml").string();
    std::FILE* content = std::fopen(contentPath.c_str(), "wb");
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" "
               "office:version=\"1.3\"><office:body><office:spreadsheet><table:table table:name=\"Sheet1\" "
               "table:style-name=\"ta1\"><table:table-column table:style-name=\"co1\" "
               "table:number-columns-repeated=\"2\" table:default-cell-style-name=\"Default\"/>",
               content);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> systolic(9000, 18000);
    std::uniform_int_distribution<int> diastolic(500, 1200);
    for (int r = 1; r <= kXlsxRows; ++r) {
      int a = systolic(random);
      int b = diastolic(random);
      std::fprintf(content,
                   "<table:table-row table:style-name=\"ro1\"><table:table-cell office:value-type=\"float\" "
                   "office:value=\"%d.%02d\" calcext:value-type=\"float\"><text:p>%d.%02d</text:p></table:table-cell>"
                   "<table:table-cell office:value-type=\"float\" office:value=\"%d.%d\" calcext:value-type=\"float\">"
                   "<text:p>%d.%d</text:p></table:table-cell></table:table-row>",
                   a / 100, a % 100, a / 100, a % 100, b / 10, b % 10, b / 10, b % 10);
    }
    std::fputs("<table:table-row table:style-name=\"ro1\" table:number-rows-repeated=\"48576\"><table:table-cell "
               "table:number-columns-repeated=\"2\"/></table:table-row></table:table></office:spreadsheet>"
               "</office:body></office:document-content>",
               content);
    std::fclose(content);
    int error = 0;
    zip_t* archive = zip_open(ods().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
      throw std::runtime_error("cannot create the .ods");
    }
    mimetype_ = "application/vnd.oasis.opendocument.spreadsheet";
    AddText(archive, "mimetype", mimetype_);
    zip_source_t* source = zip_source_file(archive, contentPath.c_str(), 0, -1);
    if (zip_file_add(archive, "content.xml", source, 0) < 0 || zip_close(archive) != 0) {
      throw std::runtime_error("cannot write the .ods");
    }
    std::filesystem::remove(contentPath);
  }

  std::filesystem::path folder_;
  std::string mimetype_;
  std::string contentTypes_, rootRels_, workbook_, workbookRels_, styles_;
};

const Workbooks& Files() {
  static const Workbooks files;
  return files;
}

void ReadBenchmark(benchmark::State& state, const std::string& path, std::int64_t expectedRows) {
  long before = StatusKb("VmRSS:");
  ResetPeakMemory();
  for (auto _ : state) {
    kelvasta::ReadResult read = kelvasta::ReadFirstWorksheet(path, 2, 2000000);
    if (read.error != kelvasta::WorkbookError::None || read.sheet.lastUsedRow != expectedRows) {
      state.SkipWithError("the workbook did not read completely");
      break;
    }
    benchmark::DoNotOptimize(read);
  }
  state.counters["rows"] = static_cast<double>(expectedRows);
  state.counters["peak_rss_mb"] = static_cast<double>(StatusKb("VmHWM:") - before) / 1024.0;
}

void BM_ReadMillionRowXlsx(benchmark::State& state) { ReadBenchmark(state, Files().xlsx(), kXlsxRows); }
BENCHMARK(BM_ReadMillionRowXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadMillionRowCsv(benchmark::State& state) { ReadBenchmark(state, Files().csv(), kXlsxRows); }
BENCHMARK(BM_ReadMillionRowCsv)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadMillionRowOds(benchmark::State& state) { ReadBenchmark(state, Files().ods(), kXlsxRows); }
BENCHMARK(BM_ReadMillionRowOds)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Read65536RowXls(benchmark::State& state) { ReadBenchmark(state, Files().xls(), kXlsRows); }
BENCHMARK(BM_Read65536RowXls)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_Write65536RowXls(benchmark::State& state) {
  std::vector<std::vector<std::string>> columns(2);
  for (int r = 0; r < kXlsRows; ++r) {
    columns[0].push_back(std::to_string(r) + ".5");
    columns[1].push_back(r % 10 == 0 ? "文本" + std::to_string(r) : std::to_string(r * 3));
  }
  std::string path = Files().xls() + ".out.xls";
  for (auto _ : state) {
    if (kelvasta::WriteWorkbookXls(path, columns) != kelvasta::WorkbookError::None) {
      state.SkipWithError("cannot write");
      break;
    }
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_Write65536RowXls)->Unit(benchmark::kMillisecond)->Iterations(10);

// The whole import as a user meets it: the million-row .xlsx read into the
// two-sample panel, its lists filled and the panel computed.
void BM_ImportMillionRowXlsxIntoWindow(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "workbook_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  benchmark::DoNotOptimize(app);
  kelvasta::RecordingDesktop desktop;
  kelvasta::MainWindow window(desktop);
  kelvasta::StartUp(window);
  const std::string path = Files().xlsx();
  long before = StatusKb("VmRSS:");
  ResetPeakMemory();
  double firstPeak = 0;
  for (auto _ : state) {
    desktop.queueAnswer(QString::fromStdString(path));
    window.ImportFromSpreadsheet();
    if (firstPeak == 0) {
      state.PauseTiming();
      firstPeak = static_cast<double>(StatusKb("VmHWM:") - before) / 1024.0;
      state.ResumeTiming();
    }
  }
  if (window.storage().List1().count() != std::size_t(kXlsxRows) + 14) state.SkipWithError("import incomplete");
  // The later imports also hold the lists they replace, for the undo.
  state.counters["peak_rss_mb"] = static_cast<double>(StatusKb("VmHWM:") - before) / 1024.0;
  state.counters["first_import_peak_rss_mb"] = firstPeak;
}
BENCHMARK(BM_ImportMillionRowXlsxIntoWindow)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
