// Text tables (.csv, .tsv, .txt) read through the same entry as workbooks:
// the encodings Excel, WPS and Notepad save in, the separators of English
// and European exports, RFC 4180 quoting, and files that are not tables.

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using Columns = std::vector<std::vector<std::string>>;

ReadResult ReadText(const std::string& bytes, int columnCount = 2, std::int64_t maxRows = 1000,
                    const ReadLimits& limits = {}, std::string_view name = "table.csv") {
  return ReadFirstWorksheetFromMemory(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()),
                                      columnCount, maxRows, limits, name);
}

std::string Utf16(const std::string& utf8, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : [&] {
         std::u16string units;
         iconv_t c = iconv_open("UTF-16LE", "UTF-8");
         std::string buffer(utf8.size() * 4, '\0');
         char* in = const_cast<char*>(utf8.data());
         std::size_t inLeft = utf8.size();
         char* to = buffer.data();
         std::size_t toLeft = buffer.size();
         iconv(c, &in, &inLeft, &to, &toLeft);
         iconv_close(c);
         for (std::size_t i = 0; i + 1 < buffer.size() - toLeft; i += 2) {
           units += static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                          (static_cast<unsigned char>(buffer[i + 1]) << 8));
         }
         return units;
       }()) {
    char low = static_cast<char>(unit & 0xFF);
    char high = static_cast<char>(unit >> 8);
    out += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return out;
}

std::string Gb18030(const std::string& utf8) {
  iconv_t c = iconv_open("GB18030", "UTF-8");
  std::string buffer(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* to = buffer.data();
  std::size_t toLeft = buffer.size();
  EXPECT_NE(iconv(c, &in, &inLeft, &to, &toLeft), static_cast<std::size_t>(-1));
  iconv_close(c);
  buffer.resize(buffer.size() - toLeft);
  return buffer;
}

// Chinese headers, a quoted separator, a doubled quote, a line end inside
// quotes, a number with a superfluous zero and an empty cell.
const std::string kTable =
    "收缩压,备注\r\n"
    "120.50,\"李, 四\"\r\n"
    "98,\"说\"\"好\"\"\"\r\n"
    ",\"两\n行\"\r\n";
const Columns kExpected{{"收缩压", "120.5", "98", ""}, {"备注", "李, 四", "说\"好\"", "两\n行"}};

struct EncodingCase {
  const char* name;
  std::string bytes;
  const char* source;
};

TEST(TextTable, EncodingsGiveTheSameTextsAsTheXlsxTwin) {
  // The same table as Excel stores it: numbers as numbers, texts as strings.
  ReadResult twin = ReadFirstWorksheetFromMemory(
      testing::BuildZip(testing::MinimalXlsx(
          "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
          "<row r=\"2\"><c r=\"A2\"><v>120.5</v></c><c r=\"B2\" t=\"s\"><v>2</v></c></row>"
          "<row r=\"3\"><c r=\"A3\"><v>98</v></c><c r=\"B3\" t=\"s\"><v>3</v></c></row>"
          "<row r=\"4\"><c r=\"B4\" t=\"s\"><v>4</v></c></row>",
          "<si><t>收缩压</t></si><si><t>备注</t></si><si><t>李, 四</t></si><si><t>说\"好\"</t></si>"
          "<si><t>两\n行</t></si>")),
      2, 1000);
  ASSERT_EQ(twin.error, WorkbookError::None);
  ASSERT_EQ(twin.sheet.columns, kExpected);
  std::vector<EncodingCase> cases{
      {"utf-8", kTable, "LibreOffice, Excel's CSV UTF-8 without mark"},
      {"utf-8 with mark", "\xEF\xBB\xBF" + kTable, "Excel's \"CSV UTF-8\""},
      {"utf-16 le", Utf16(kTable, true), "Excel's \"Unicode text\", Notepad"},
      {"utf-16 be", Utf16(kTable, false), "Notepad's UTF-16 BE"},
      {"gb18030", Gb18030(kTable), "Excel and WPS on Chinese Windows save ANSI CSV as GBK"},
  };
  ForEachCase(cases, [&](const EncodingCase& c) {
    ReadResult read = ReadText(c.bytes);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, twin.sheet.columns);
    EXPECT_EQ(read.sheet.lastUsedRow, 4);
  });
}

struct LayoutCase {
  const char* name;
  std::string text;
  Columns expected;
  const char* source;
};

TEST(TextTable, SeparatorsAndLineEnds) {
  std::vector<LayoutCase> cases{
      {"semicolon with decimal commas", "a;b\n1,5;2,5\n3;4,25\n", {{"a", "1,5", "3"}, {"b", "2,5", "4,25"}},
       "German Excel: ';' separates, ',' is the decimal point"},
      {"tab", "x\ty\n1\t2\n", {{"x", "1"}, {"y", "2"}}, "Excel's tab-delimited text"},
      {"tab beats comma in text", "名,称\t值\n甲,乙\t3\n", {{"名,称", "甲,乙"}, {"值", "3"}}, "a comma on every line is text"},
      {"one column", "12\n13.0\n\n14\n", {{"12", "13", "", "14"}, {"", "", "", ""}}, "no separator at all"},
      {"ragged rows", "a,b,c\n1\n2,3\n4,5,6\n", {{"a", "1", "2", "4"}, {"b", "", "3", "5"}},
       "hand-written files leave out trailing empties"},
      {"old mac line ends", "1,2\r3,4\r", {{"1", "3"}, {"2", "4"}}, "CR alone ends a line"},
      {"separator inside quotes only", "\"a;b\",c\n\"d;e\",f\n", {{"a;b", "d;e"}, {"c", "f"}},
       "quoted semicolons do not count"},
      {"text after closing quote", "\"ab\"c,d\n", {{"abc"}, {"d"}}, "lenient as Excel"},
      {"quote inside a field", "12\",3\n4,5\n", {{"12\"", "4"}, {"3", "5"}},
       "LibreOffice reads 12\" | 3 and 4 | 5: the inch mark opens no quoted field"},
      {"quote inside a field then a quoted one", "a\"b;\"c;d\"\n1;2\n", {{"a\"b", "1"}, {"c;d", "2"}},
       "only a quote at a field's start opens it, for the separator too"},
      {"numbers as a workbook shows them", "+5, 7 \n1e3,0012\n", {{"5", "1000"}, {"7", "12"}},
       "Excel turns these into numbers"},
  };
  ForEachCase(cases, [](const LayoutCase& c) {
    ReadResult read = ReadText(c.text);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, c.expected);
  });
}

struct RefusalCase {
  const char* name;
  std::string bytes;
  WorkbookError error;
  const char* source;
  std::int64_t maxRows = 1000;
  ReadLimits limits = {};
};

TEST(TextTable, FilesThatAreNotTablesAreRefused) {
  ReadLimits small;
  small.maxTextBytes = 16;
  std::vector<RefusalCase> cases{
      {"quote open at the end", "a,b\n\"1,2\n3,4\n", WorkbookError::UnbalancedQuote, "a cut-off file"},
      {"nul bytes", std::string("PK\x01\x02\0\0\0\x10", 8) + "abc", WorkbookError::NotText, "a binary named .csv"},
      {"invalid in every encoding", "1,2\n\x80\xFF\x80\xFF,3\n", WorkbookError::NotText,
       "neither UTF-8 nor GB18030"},
      {"control characters", "1,2\n\x01\x02\x03,\x04\n", WorkbookError::NotText, "binary without NUL"},
      {"odd utf-16", "\xFF\xFE\x31\x00\x2C", WorkbookError::NotText, "half a code unit"},
      {"mixed separators", "1,2\n3;4\n5\t6\n7,8\n9;10\n", WorkbookError::UnclearSeparator, "no separator holds"},
      {"too many rows", "1\n2\n3\n", WorkbookError::TooManyRows, "rows past maxRows", 2},
      {"long field", "1," + std::string(17, 'x') + "\n", WorkbookError::TooMuchText, "past maxTextBytes", 1000, small},
      {"long quoted field in a column not kept", "1,2,\"" + std::string(17, 'x') + "\"\n", WorkbookError::TooMuchText,
       "a quoted field is measured as it is gathered", 1000, small},
  };
  ForEachCase(cases, [](const RefusalCase& c) {
    ReadResult read = ReadText(c.bytes, 2, c.maxRows, c.limits);
    EXPECT_EQ(read.error, c.error);
    EXPECT_TRUE(read.sheet.columns.empty());
  });
  EXPECT_FALSE(DescribeWorkbookError(WorkbookError::NotText).empty());
  EXPECT_FALSE(DescribeWorkbookError(WorkbookError::UnbalancedQuote).empty());
  EXPECT_FALSE(DescribeWorkbookError(WorkbookError::UnclearSeparator).empty());
}

TEST(TextTable, FilesByExtension) {
  testing::TempDir dir;
  const std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(kTable.data()),
                                     reinterpret_cast<const std::byte*>(kTable.data() + kTable.size()));
  for (const char* name : {"a.csv", "b.TSV", "c.txt"}) {
    testing::WriteBytes(dir.File(name), bytes);
    ReadResult read = ReadFirstWorksheet(dir.File(name), 2, 1000);
    ASSERT_EQ(read.error, WorkbookError::None) << name;
    EXPECT_EQ(read.sheet.columns, kExpected) << name;
  }
  testing::WriteBytes(dir.File("d.dat"), bytes);
  EXPECT_EQ(ReadFirstWorksheet(dir.File("d.dat"), 2, 1000).error, WorkbookError::NotAWorkbook);
  // An .xlsx renamed .csv is still read as the workbook it is.
  testing::WriteBytes(dir.File("e.csv"), testing::BuildZip(testing::MinimalXlsx("<row><c><v>7</v></c></row>")));
  EXPECT_EQ(ReadFirstWorksheet(dir.File("e.csv"), 1, 1000).sheet.columns, (Columns{{"7"}}));
  testing::WriteBytes(dir.File("empty.csv"), {});
  ReadResult empty = ReadFirstWorksheet(dir.File("empty.csv"), 2, 1000);
  EXPECT_EQ(empty.error, WorkbookError::None);
  EXPECT_EQ(empty.sheet.lastUsedRow, 0);
  ASSERT_EQ(::mkfifo(dir.File("pipe.csv").c_str(), 0600), 0);
  EXPECT_EQ(ReadFirstWorksheet(dir.File("pipe.csv"), 2, 1000).error, WorkbookError::NotARegularFile);
}

TEST(TextTable, PreviewAndChosenColumns) {
  testing::TempDir dir;
  const std::string text = "a,b,c\n1,2,3\n4,5,6\n7,8,9\n";
  testing::WriteBytes(dir.File("血压.csv"), std::vector<std::byte>(reinterpret_cast<const std::byte*>(text.data()),
                                                                   reinterpret_cast<const std::byte*>(text.data() + text.size())));
  PreviewResult preview = PreviewWorkbook(dir.File("血压.csv"), 0, 2);
  ASSERT_EQ(preview.error, WorkbookError::None);
  EXPECT_EQ(preview.preview.sheetNames, std::vector<std::string>{"血压"});
  EXPECT_EQ(preview.preview.columnCount, 3);
  EXPECT_EQ(preview.preview.rows, (Columns{{"a", "b", "c"}, {"1", "2", "3"}}));
  EXPECT_EQ(PreviewWorkbook(dir.File("血压.csv"), 1, 2).error, WorkbookError::NotAWorkbook);

  const int chosen[] = {2, 0, 2, 9};
  ReadResult read = ReadWorksheetColumns(dir.File("血压.csv"), 0, chosen, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns,
            (Columns{{"c", "3", "6", "9"}, {"a", "1", "4", "7"}, {"c", "3", "6", "9"}, {"", "", "", ""}}));
}

}  // namespace
}  // namespace kelvasta
