// The .xlsx and CSV writers, checked by reading their files back with our
// own readers (which read any producer's .xlsx and CSV).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"

namespace kelvasta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using Columns = std::vector<std::vector<std::string>>;

// Numbers, Chinese, texts a CSV must quote, gaps and padding rows.
const Columns kMixed{
    {"5", "7", "9", "", "12.5", "-0.25", "1.5E-05", "1E+15", "", ""},
    {"6", "张三", "a,b", "say \"hi\"", "0.333333333333333", "", " lead", "two\nlines", "", ""},
    {"收缩压", "", "", "", "", "", "", "高", "", ""},
};

Columns Trimmed(Columns columns, std::size_t rows) {
  for (auto& column : columns) column.resize(rows);
  return columns;
}

struct FormatCase {
  const char* name;
  const char* file;
  WorkbookError (*write)(const std::string&, const Columns&);
};

class WriterRoundTrip : public ::testing::TestWithParam<FormatCase> {};

TEST_P(WriterRoundTrip, TextsNumbersAndGapsComeBackUnchanged) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  ASSERT_EQ(GetParam().write(path, kMixed), WorkbookError::None);
  const ReadResult read = ReadFirstWorksheet(path, 3, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 8) << "padding rows after row 8 write nothing";
  EXPECT_EQ(read.sheet.columns, Trimmed(kMixed, 8));
}

// A number stored as a number reads back in general form; as a text it
// would keep its zeros. CSV keeps every text as it is.
TEST_P(WriterRoundTrip, PlainNumbersReadBackAsNumbers) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  ASSERT_EQ(GetParam().write(path, {{"12.50", "007"}}), WorkbookError::None);
  const ReadResult read = ReadFirstWorksheet(path, 1, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  // The CSV reader, too, shows a plain-number field as a workbook would.
  EXPECT_EQ(read.sheet.columns[0], (std::vector<std::string>{"12.5", "7"}));
}

TEST_P(WriterRoundTrip, ReadOnlyTargetIsRefusedAndKept) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  ASSERT_EQ(GetParam().write(path, {{"1"}}), WorkbookError::None);
  const std::vector<std::byte> before = ReadBytes(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(GetParam().write(path, {{"2"}}), WorkbookError::ReadOnlyFile);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST_P(WriterRoundTrip, ExistingFileKeepsItsPermissions) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  ASSERT_EQ(GetParam().write(path, {{"1"}}), WorkbookError::None);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(GetParam().write(path, {{"2"}}), WorkbookError::None);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

INSTANTIATE_TEST_SUITE_P(Formats, WriterRoundTrip,
                         ::testing::Values(FormatCase{"xlsx", "out.xlsx", &WriteWorkbookXlsx},
                                           FormatCase{"csv", "out.csv", &WriteWorkbookCsv}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(XlsxWriter, MoreRowsThanASheetHoldsWritesNothing) {
  TempDir dir;
  const std::string path = dir.File("big.xlsx");
  Columns columns(1, std::vector<std::string>(1048577, "1"));
  EXPECT_EQ(WriteWorkbookXlsx(path, columns), WorkbookError::TooManyRowsForXlsx);
  EXPECT_FALSE(std::filesystem::exists(path));
  // Padding after the last value does not count.
  columns[0].resize(1048576);
  columns[0].resize(1048600, "");
  EXPECT_EQ(WriteWorkbookXlsx(path, columns), WorkbookError::None);
  EXPECT_EQ(ReadFirstWorksheet(path, 1, 2000000).sheet.lastUsedRow, 1048576);
}

TEST(XlsxWriter, OverlongTextIsCutAtExcelsLimit) {
  TempDir dir;
  const std::string path = dir.File("long.xlsx");
  ASSERT_EQ(WriteWorkbookXlsx(path, {{std::string(1000000, 'x')}}), WorkbookError::None);
  EXPECT_EQ(ReadFirstWorksheet(path, 1, 10).sheet.columns[0][0], std::string(32767, 'x'));
}

// Texts XML cannot hold as they are, read back by our reader (which decodes
// Excel's "_xHHHH_" escapes as Excel does).
TEST(XlsxWriter, TextsXmlCannotHoldComeBackUnchanged) {
  struct Case {
    const char* name;
    std::string text, expected;
  };
  const std::vector<Case> cases{
      {"markup", "a&b<c>d]]>", "a&b<c>d]]>"},
      {"carriage return (a parser makes a bare one a line feed)", "two\r\nlines\r", "two\r\nlines\r"},
      {"controls", std::string("x\x01\x1F\x00y", 5), std::string("x\x01\x1F\x00y", 5)},
      {"a text that reads like an escape", "_x0041_ and _x00e9_", "_x0041_ and _x00e9_"},
      {"U+FFFE and U+FFFF", "\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBE\xEF\xBF\xBF"},
      {"blanks at the ends", "\t lead and trail \n", "\t lead and trail \n"},
      {"beyond the BMP", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {"bytes that are not UTF-8 become U+FFFD", "bad\xFF\xC0\x80" "end", "bad\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "end"},
  };
  TempDir dir;
  const std::string path = dir.File("texts.xlsx");
  Columns columns(1);
  for (const Case& c : cases) columns[0].push_back(c.text);
  ASSERT_EQ(WriteWorkbookXlsx(path, columns), WorkbookError::None);
  const ReadResult read = ReadFirstWorksheet(path, 1, 100);
  ASSERT_EQ(read.error, WorkbookError::None);
  ASSERT_EQ(read.sheet.columns[0].size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(read.sheet.columns[0][i], cases[i].expected) << cases[i].name;
}

// The reader shows 15 digits, so the stored text is checked: the shortest
// that reads back as the same double (a 16-digit %G would lose the last bit).
TEST(XlsxWriter, NumbersKeepEveryBitOfTheirDouble) {
  TempDir dir;
  const std::string path = dir.File("numbers.xlsx");
  ASSERT_EQ(WriteWorkbookXlsx(path, {{"0.30000000000000004", "-1.2345678901234567", "1E+15", "12.50"}}),
            WorkbookError::None);
  std::string sheet;
  for (const auto& [name, data] : testing::ReadZip(path))
    if (name == "xl/worksheets/sheet1.xml") sheet = data;
  for (const char* stored : {"<v>0.30000000000000004</v>", "<v>-1.2345678901234567</v>", "<v>1e+15</v>", "<v>12.5</v>"})
    EXPECT_NE(sheet.find(stored), std::string::npos) << stored;
}

TEST(XlsxWriter, NoValuesGiveAnEmptySheet) {
  TempDir dir;
  const std::string path = dir.File("empty.xlsx");
  ASSERT_EQ(WriteWorkbookXlsx(path, {{"", ""}, {}}), WorkbookError::None);
  const ReadResult read = ReadFirstWorksheet(path, 2, 10);
  EXPECT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 0);
}

TEST(CsvWriter, StartsWithAByteOrderMarkAndQuotesAsRfc4180) {
  EXPECT_EQ(BuildWorkbookCsv({{"1", "a,b", ""}, {"张", "", ""}, {"say \"hi\""}}),
            "\xEF\xBB\xBF" "1,张,\"say \"\"hi\"\"\"\r\n\"a,b\",,\r\n");
}

}  // namespace
}  // namespace kelvasta
