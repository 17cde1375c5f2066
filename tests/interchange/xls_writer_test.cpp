// The .xls writer, checked by reading its files back with our reader and
// with two independent readers (libfreexl, python3-xlrd), and by walking the
// records it wrote.

#include <freexl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "interchange/biff.h"
#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"

namespace kelvasta {
namespace {

using testing::ReadBytes;
using testing::StreamOf;
using testing::TempDir;
using Columns = std::vector<std::vector<std::string>>;

// A typical export: numbers, Chinese and other texts, gaps, padding rows.
const Columns kMixed{
    {"5", "7", "9", "", "12.5", "-0.25", "1.5E-05", "1E+15", "", "", ""},
    {"6", "张三", "", "text with  spaces ", "0.333333333333333", "", "", "", "", "", ""},
    {"收缩压", "", "", "", "", "", "", "高", "", "", ""},
};

// kMixed as it reads back: cut after the last non-empty row (row 8).
Columns Trimmed(const Columns& columns, std::size_t rows) {
  Columns trimmed = columns;
  for (auto& column : trimmed) {
    column.resize(rows);
  }
  return trimmed;
}

ReadResult WriteAndRead(const TempDir& dir, const Columns& columns, int columnCount = 3) {
  std::string path = dir.File("out.xls");
  EXPECT_EQ(WriteWorkbookXls(path, columns), WorkbookError::None);
  return ReadFirstWorksheet(path, columnCount, 1000000);
}

TEST(XlsRoundTrip, TextsNumbersAndGapsComeBackUnchanged) {
  TempDir dir;
  ReadResult read = WriteAndRead(dir, kMixed);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 8) << "padding rows after row 8 write no cells";
  EXPECT_EQ(read.sheet.columns, Trimmed(kMixed, 8));
}

struct NumberTextCase {
  const char* name;
  const char* written;
  const char* read;
  const char* source;
};

TEST(XlsRoundTrip, PlainNumbersAreStoredAsNumbers) {
  std::vector<NumberTextCase> cases{
      {"leading zeros", "007", "7", "Currency accepts it: a number"},
      {"blanks", " 12 ", "12", "Currency trims blanks"},
      {"plus sign", "+3", "3", "Currency accepts a sign"},
      {"trailing zero", "12.50", "12.5", "the number 12.5"},
      {"exponent", "1e3", "1000", "Currency accepts exponents"},
      {"tiny", "0.00001", "1E-05", "not rounded to Currency's four decimals"},
      {"beyond currency", "1E+300", "1E+300", "the general text of a double"},
      {"thousands separator", "1,000", "1,000", "not a plain number: text"},
      {"unit", "12kg", "12kg", "text"},
      {"infinity", "inf", "inf", "text, though from_chars would read it"},
      {"too large", "1E+400", "1E+400", "no such double: text"},
  };
  Columns columns(1);
  for (const NumberTextCase& c : cases) {
    columns[0].push_back(c.written);
  }
  TempDir dir;
  ReadResult read = WriteAndRead(dir, columns, 1);
  ASSERT_EQ(read.error, WorkbookError::None);
  ASSERT_EQ(read.sheet.columns[0].size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(std::string(cases[i].name) + " [" + cases[i].source + "]");
    EXPECT_EQ(read.sheet.columns[0][i], cases[i].read);
  }
}

TEST(XlsRoundTrip, LongAndManyStringsCrossContinueRecords) {
  Columns columns(2);
  // 3,000 short strings fill the SST record several times over.
  for (int i = 0; i < 3000; ++i) {
    columns[0].push_back("患者" + std::to_string(i));
  }
  std::string longChinese;
  for (int i = 0; i < 10000; ++i) {
    longChinese += "血";
  }
  std::string longLatin(20000, 'x');
  std::string mixed = longLatin.substr(0, 8000) + longChinese.substr(0, 3 * 500);
  columns[1] = {longChinese, longLatin, mixed, std::string(40000, 'y')};
  TempDir dir;
  ReadResult read = WriteAndRead(dir, columns, 2);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns[0], columns[0]);
  EXPECT_EQ(read.sheet.columns[1][0], longChinese);
  EXPECT_EQ(read.sheet.columns[1][1], longLatin);
  EXPECT_EQ(read.sheet.columns[1][2], mixed);
  EXPECT_EQ(read.sheet.columns[1][3], std::string(32767, 'y')) << "Excel keeps 32,767 characters";
}

Columns NumberedRows(std::size_t rows) {
  Columns columns(2);
  for (std::size_t i = 0; i < rows; ++i) {
    columns[0].push_back(std::to_string(i + 1));
    columns[1].push_back(i % 100 == 0 ? "第" + std::to_string(i) + "行" : std::to_string(i * 0.5));
  }
  return columns;
}

TEST(XlsRowLimit, SixtyFiveThousandFiveHundredThirtySixRowsFit) {
  TempDir dir;
  Columns columns = NumberedRows(65536);
  for (auto& column : columns) {
    column.resize(65536 + 14);  // the padding an import leaves is not data
  }
  ReadResult read = WriteAndRead(dir, columns, 2);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 65536);
  EXPECT_EQ(read.sheet.columns[0][65535], "65536");
  EXPECT_EQ(read.sheet.columns[1][65500], "第65500行");
}

TEST(XlsRowLimit, MoreRowsAreRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  std::string path = dir.File("big.xls");
  EXPECT_EQ(WriteWorkbookXls(path, NumberedRows(65537)), WorkbookError::TooManyRowsForXls);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no temporary file left behind";

  // An existing file stays as it was.
  ASSERT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::None);
  std::vector<std::byte> before = ReadBytes(path);
  EXPECT_EQ(WriteWorkbookXls(path, NumberedRows(65537)), WorkbookError::TooManyRowsForXls);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(XlsWrite, ReplacesAnExistingFileWholeAndKeepsItsPermissions) {
  TempDir dir;
  std::string path = dir.File("data.xls");
  ASSERT_EQ(WriteWorkbookXls(path, NumberedRows(1000)), WorkbookError::None);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::None);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ReadResult read = ReadFirstWorksheet(path, 3, 1000000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, Trimmed(kMixed, 8)) << "nothing of the larger old file remains";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(XlsWrite, UnwritablePlacesGiveCannotWrite) {
  TempDir dir;
  EXPECT_EQ(WriteWorkbookXls(dir.File("no such folder/out.xls"), kMixed), WorkbookError::CannotWrite);
  std::filesystem::create_directory(dir.File("folder.xls"));
  EXPECT_EQ(WriteWorkbookXls(dir.File("folder.xls"), kMixed), WorkbookError::CannotWrite);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "only the folder: no temporary file left behind";
  EXPECT_EQ(WriteWorkbookXls(dir.File("wide.xls"), Columns(257, {"1"})), WorkbookError::CannotWrite);
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

// The rename needs only the folder's permission, so the file's own is
// checked first; without any write bit a file is kept even for root.
TEST(XlsWrite, ReadOnlyFilesAreLeftAsTheyWere) {
  for (mode_t mode : {0444, 0400, 0000, 0555}) {
    SCOPED_TRACE(mode);
    TempDir dir;
    std::string path = dir.File("kept.xls");
    testing::WriteBytes(path, {std::byte{'o'}, std::byte{'l'}, std::byte{'d'}});
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    EXPECT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::ReadOnlyFile);
    EXPECT_EQ(ReadBytes(path), (std::vector<std::byte>{std::byte{'o'}, std::byte{'l'}, std::byte{'d'}}));
    EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file left behind";
  }
}

// The file a link names is replaced from its own folder; the link stays.
TEST(XlsWrite, SymbolicLinksAreFollowed) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("data"));
  std::string real = dir.File("data/real.xls");
  ASSERT_EQ(WriteWorkbookXls(real, Columns{{"1"}}), WorkbookError::None);
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("data/real.xls", dir.File("link.xls").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("link.xls").c_str(), dir.File("link to link.xls").c_str()), 0);
  ASSERT_EQ(::symlink("data/new.xls", dir.File("dangling.xls").c_str()), 0);

  ASSERT_EQ(WriteWorkbookXls(dir.File("link to link.xls"), kMixed), WorkbookError::None);
  ASSERT_EQ(WriteWorkbookXls(dir.File("dangling.xls"), kMixed), WorkbookError::None);
  for (const char* link : {"link.xls", "link to link.xls", "dangling.xls"}) {
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File(link))) << link;
  }
  struct stat info;
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadFirstWorksheet(real, 3, 1000).sheet.columns, Trimmed(kMixed, 8));
  EXPECT_EQ(ReadFirstWorksheet(dir.File("data/new.xls"), 3, 1000).sheet.columns, Trimmed(kMixed, 8));
  EXPECT_EQ(EntriesIn(dir.path()), 4u);
  EXPECT_EQ(EntriesIn(dir.File("data")), 2u) << "no temporary file left behind";

  ASSERT_EQ(::chmod(real.c_str(), 0444), 0);
  std::vector<std::byte> before = ReadBytes(real);
  EXPECT_EQ(WriteWorkbookXls(dir.File("link.xls"), Columns{{"2"}}), WorkbookError::ReadOnlyFile);
  EXPECT_EQ(ReadBytes(real), before);
}

TEST(XlsWrite, EmptyListsGiveAnEmptySheet) {
  TempDir dir;
  ReadResult read = WriteAndRead(dir, Columns{std::vector<std::string>(15), std::vector<std::string>(15)}, 2);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 0);
  EXPECT_EQ(read.sheet.columns, Columns(2));
}

// Walks the records of the written workbook stream: every payload within
// the BIFF8 limit, the sheet offset pointing at the sheet's BOF, and every
// EXTSST entry pointing at the start of the string it indexes.
TEST(XlsWrite, RecordsFollowTheBiff8Layout) {
  Columns columns(1);
  for (int i = 0; i < 2500; ++i) {
    columns[0].push_back((i % 2 == 0 ? "病例" : "case ") + std::to_string(i));
  }
  std::vector<std::byte> file;
  ASSERT_EQ(BuildWorkbookXls(columns, file), WorkbookError::None);
  std::vector<std::uint8_t> stream = StreamOf(file, "Workbook");
  ASSERT_GE(stream.size(), 4096u) << "padded like Excel's own streams";

  std::vector<std::pair<std::uint16_t, std::size_t>> records;  // id, offset
  std::size_t sheetOffset = 0;
  std::size_t sstRecords = 0;
  std::size_t at = 0;
  int open = 0;
  int substreams = 0;
  while (at + 4 <= stream.size() && substreams < 2) {
    std::uint16_t id = biff::U16(&stream[at]);
    std::uint16_t length = biff::U16(&stream[at + 2]);
    ASSERT_LE(length, biff::kMaxPayload);
    ASSERT_LE(at + 4 + length, stream.size());
    records.emplace_back(id, at);
    if (id == biff::kBoundSheet) {
      sheetOffset = biff::U32(&stream[at + 4]);
    }
    if (id == biff::kSst || id == biff::kContinue) {
      ++sstRecords;
    }
    open += id == biff::kBof ? 1 : id == biff::kEof ? -1 : 0;
    substreams += id == biff::kEof ? 1 : 0;
    at += 4 + length;
  }
  ASSERT_EQ(substreams, 2) << "globals and one sheet";
  ASSERT_EQ(open, 0);
  EXPECT_GT(sstRecords, 2u) << "the strings needed CONTINUE records";
  ASSERT_EQ(biff::U16(&stream[sheetOffset]), biff::kBof);
  EXPECT_EQ(biff::U16(&stream[sheetOffset + 6]), biff::kWorksheetSubstream);

  auto extSst = std::find_if(records.begin(), records.end(), [](auto r) { return r.first == biff::kExtSst; });
  ASSERT_NE(extSst, records.end());
  const std::uint8_t* payload = &stream[extSst->second + 4];
  std::size_t perBucket = biff::U16(payload);
  std::size_t buckets = (biff::U16(&stream[extSst->second + 2]) - 2) / 8;
  EXPECT_EQ(buckets, (columns[0].size() + perBucket - 1) / perBucket);
  for (std::size_t b = 0; b < buckets; ++b) {
    std::size_t position = biff::U32(payload + 2 + 8 * b);
    std::size_t inRecord = biff::U16(payload + 6 + 8 * b);
    const std::string& expected = columns[0][b * perBucket];
    // The string header there: character count, then the option byte.
    ASSERT_LT(position + 3, stream.size());
    ASSERT_LE(inRecord, position);
    std::size_t recordStart = position - inRecord;
    std::uint16_t recordId = biff::U16(&stream[recordStart]);
    EXPECT_TRUE(recordId == biff::kSst || recordId == biff::kContinue) << "bucket " << b;
    // "病例" is two characters in six UTF-8 bytes.
    std::size_t characters = expected.rfind("病例", 0) == 0 ? expected.size() - 4 : expected.size();
    EXPECT_EQ(biff::U16(&stream[position]), characters) << "bucket " << b;
  }
}

TEST(XlsIndependentReaders, FreexlReadsTheSameCells) {
  TempDir dir;
  std::string path = dir.File("freexl.xls");
  ASSERT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::None);
  const void* handle = nullptr;
  ASSERT_EQ(freexl_open(path.c_str(), &handle), FREEXL_OK);
  ASSERT_EQ(freexl_select_active_worksheet(handle, 0), FREEXL_OK);
  unsigned int rows = 0;
  unsigned short columns = 0;
  ASSERT_EQ(freexl_worksheet_dimensions(handle, &rows, &columns), FREEXL_OK);
  EXPECT_EQ(rows, 8u);
  EXPECT_EQ(columns, 3u);
  for (unsigned int r = 0; r < 8; ++r) {
    for (unsigned short c = 0; c < 3; ++c) {
      SCOPED_TRACE("row " + std::to_string(r + 1) + " column " + std::to_string(c + 1));
      FreeXL_CellValue cell;
      ASSERT_EQ(freexl_get_cell_value(handle, r, c, &cell), FREEXL_OK);
      const std::string& expected = kMixed[c][r];
      switch (cell.type) {
        case FREEXL_CELL_NULL: EXPECT_EQ(expected, ""); break;
        case FREEXL_CELL_INT: EXPECT_EQ(std::to_string(cell.value.int_value), expected); break;
        case FREEXL_CELL_DOUBLE: EXPECT_EQ(cell.value.double_value, std::stod(expected)); break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: EXPECT_EQ(cell.value.text_value, expected); break;
        default: ADD_FAILURE() << "unexpected cell type " << int(cell.type);
      }
    }
  }
  freexl_close(handle);
}

TEST(XlsIndependentReaders, XlrdReadsTheSameCells) {
  if (!testing::PythonHas("xlrd")) {
    GTEST_SKIP() << "/usr/bin/python3 with xlrd (python3-xlrd) is not installed";
  }
  TempDir dir;
  std::string path = dir.File("xlrd.xls");
  ASSERT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::None);
  // One line per non-empty cell: row, column, type (number or text), value.
  std::string output;
  ASSERT_EQ(testing::RunPython(
                "import xlrd\n"
                "book = xlrd.open_workbook(" + std::string("'") + path + "')\n"
                "sheet = book.sheet_by_index(0)\n"
                "print(book.nsheets, sheet.nrows, sheet.ncols)\n"
                "for r in range(sheet.nrows):\n"
                "    for c in range(sheet.ncols):\n"
                "        cell = sheet.cell(r, c)\n"
                "        if cell.ctype == xlrd.XL_CELL_NUMBER:\n"
                "            print(r, c, 'number', repr(cell.value))\n"
                "        elif cell.ctype == xlrd.XL_CELL_TEXT:\n"
                "            print(r, c, 'text', cell.value.encode('utf-8').hex())\n",
                output),
            0)
      << output;
  std::istringstream lines(output);
  int sheets = 0, rows = 0, columns = 0;
  lines >> sheets >> rows >> columns;
  EXPECT_EQ(sheets, 1);
  EXPECT_EQ(rows, 8);
  EXPECT_EQ(columns, 3);
  int cells = 0;
  int r = 0, c = 0;
  std::string type, value;
  while (lines >> r >> c >> type >> value) {
    ++cells;
    const std::string& expected = kMixed[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
    if (type == "number") {
      EXPECT_EQ(std::stod(value), std::stod(expected)) << r << "," << c;
    } else {
      std::string text;
      for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        text += static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
      }
      EXPECT_EQ(text, expected) << r << "," << c;
    }
  }
  EXPECT_EQ(cells, 13) << output;
}

// LibreOffice is a large install, so this runs only where soffice is there.
TEST(XlsIndependentReaders, LibreOfficeConvertsItToTheSameCells) {
  if (!testing::HasLibreOffice()) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  TempDir dir;
  std::string path = dir.File("calc.xls");
  ASSERT_EQ(WriteWorkbookXls(path, kMixed), WorkbookError::None);
  // CSV export: comma separated, double quotes, UTF-8 (character set 76).
  std::string csvPath =
      testing::ConvertWithLibreOffice(path, "csv:Text - txt - csv (StarCalc):44,34,76", "csv", dir.path().string());
  ASSERT_FALSE(csvPath.empty());
  std::ifstream csv(csvPath);
  std::string line;
  std::size_t row = 0;
  while (std::getline(csv, line)) {
    ASSERT_LT(row, 8u) << line;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
    fields.resize(3);
    for (std::size_t c = 0; c < 3; ++c) {
      const std::string& expected = kMixed[c][row];
      char* end = nullptr;
      double number = std::strtod(expected.c_str(), &end);
      if (!expected.empty() && *end == '\0') {
        EXPECT_EQ(std::stod(fields[c]), number) << "row " << row + 1;  // LibreOffice writes 1E+15 in full
      } else {
        EXPECT_EQ(fields[c], expected) << "row " << row + 1;
      }
    }
    ++row;
  }
  EXPECT_EQ(row, 8u);
}

}  // namespace
}  // namespace kelvasta
