// OpenDocument spreadsheets as LibreOffice and other suites write them, and
// dates and times in every workbook format read as their date text.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "interchange/biff.h"
#include "interchange/date_text.h"
#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::BiffStream;
using testing::BofPayload;
using testing::Bytes;
using testing::ForEachCase;
using testing::ZipEntries;
using Columns = std::vector<std::vector<std::string>>;

// An .ods package whose spreadsheet body is `tables`.
ZipEntries Ods(const std::string& tables, bool encrypted = false) {
  std::string manifest =
      "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
      "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\">" +
      std::string(encrypted ? "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\"/>" : "") +
      "</manifest:file-entry></manifest:manifest>";
  return {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
          {"content.xml",
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
           "<office:body><office:spreadsheet>" + tables + "</office:spreadsheet></office:body></office:document-content>"},
          {"META-INF/manifest.xml", manifest}};
}

std::string Table(const std::string& name, const std::string& rows) {
  return "<table:table table:name=\"" + name + "\"><table:table-column table:number-columns-repeated=\"1024\"/>" +
         rows + "</table:table>";
}

ReadResult ReadZip(const ZipEntries& entries, int columnCount = 2, std::int64_t maxRows = 1000) {
  return ReadFirstWorksheetFromMemory(testing::BuildZip(entries), columnCount, maxRows);
}

// An .xlsx with a styles part: `numFmts` and `cellXfs` are their bodies.
ZipEntries XlsxWithStyles(const std::string& sheetData, const std::string& numFmts, const std::string& cellXfs,
                          bool date1904 = false) {
  ZipEntries entries = testing::MinimalXlsx(sheetData);
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  for (auto& [name, content] : entries) {
    if (name == "xl/_rels/workbook.xml.rels") {
      content.insert(content.find("</Relationships>"),
                     "<Relationship Id=\"rId9\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>");
    } else if (name == "xl/workbook.xml" && date1904) {
      content.insert(content.find("<sheets>"), "<workbookPr date1904=\"1\"/>");
    }
  }
  entries.emplace_back("xl/styles.xml",
                       "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>" +
                           numFmts + "</numFmts><cellXfs>" + cellXfs + "</cellXfs></styleSheet>");
  return entries;
}

TEST(OdsReader, SameTextsAsTheXlsxTwin) {
  // What LibreOffice writes: typed values, paragraphs, compressed repeats,
  // a covered cell under a merge, an annotation, trailing empty repeats.
  const std::string rows =
      "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>收缩压</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\"><text:p>a<text:s text:c=\"3\"/>b</text:p><text:p>c</text:p>"
      "</table:table-cell></table:table-row>"
      "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"120.5\"><text:p>120.50</text:p>"
      "</table:table-cell><table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\">"
      "<text:p>TRUE</text:p></table:table-cell></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"2\" "
      "office:value-type=\"float\" office:value=\"7\"><text:p>7</text:p></table:table-cell></table:table-row>"
      "<table:table-row><table:table-cell table:number-columns-spanned=\"2\" office:value-type=\"date\" "
      "office:date-value=\"2024-01-01T08:30:00\"><text:p>2024-01-01 08:30</text:p></table:table-cell>"
      "<table:covered-table-cell/></table:table-row>"
      "<table:table-row><table:table-cell office:value-type=\"percentage\" office:value=\"0.25\"><text:p>25%</text:p>"
      "<office:annotation><text:p>note</text:p></office:annotation></table:table-cell><table:table-cell "
      "office:value-type=\"time\" office:time-value=\"PT13H05M00S\"><text:p>13:05</text:p></table:table-cell>"
      "</table:table-row><table:table-row><table:table-cell table:formula=\"of:=1/0\" office:value-type=\"float\" "
      "office:value=\"0\" calcext:value-type=\"error\"><text:p>#DIV/0!</text:p></table:table-cell>"
      "<table:table-cell table:number-columns-repeated=\"16382\"/></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048569\"><table:table-cell "
      "table:number-columns-repeated=\"16384\"/></table:table-row>";
  ReadResult ods = ReadZip(Ods(Table("数据", rows)));
  ASSERT_EQ(ods.error, WorkbookError::None);
  const Columns expected{{"收缩压", "120.5", "7", "7", "2024/1/1 8:30", "0.25", "#DIV/0!"},
                         {"a   b\nc", "TRUE", "7", "7", "", "13:05:00", ""}};
  EXPECT_EQ(ods.sheet.columns, expected);
  EXPECT_EQ(ods.sheet.lastUsedRow, 7);

  // The same sheet saved as .xlsx: a date-time and a time style.
  ReadResult xlsx = ReadZip(XlsxWithStyles(
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>收缩压</t></is></c><c r=\"B1\" t=\"inlineStr\"><is><t "
      "xml:space=\"preserve\">a   b\nc</t></is></c></row><row r=\"2\"><c r=\"A2\"><v>120.5</v></c><c r=\"B2\" "
      "t=\"b\"><v>1</v></c></row><row r=\"3\"><c r=\"A3\"><v>7</v></c><c r=\"B3\"><v>7</v></c></row><row r=\"4\">"
      "<c r=\"A4\"><v>7</v></c><c r=\"B4\"><v>7</v></c></row><row r=\"5\"><c r=\"A5\" s=\"1\"><v>45292.3541666667</v>"
      "</c></row><row r=\"6\"><c r=\"A6\" s=\"3\"><v>0.25</v></c><c r=\"B6\" s=\"2\"><v>0.545138888888889</v></c>"
      "</row><row r=\"7\"><c r=\"A7\" t=\"e\"><v>#DIV/0!</v></c></row>",
      "", "<xf numFmtId=\"0\"/><xf numFmtId=\"22\"/><xf numFmtId=\"21\"/><xf numFmtId=\"9\"/>"));
  ASSERT_EQ(xlsx.error, WorkbookError::None);
  EXPECT_EQ(xlsx.sheet.columns, expected);
}

struct RepeatCase {
  const char* name;
  std::string rows;
  WorkbookError error;
  std::int64_t lastUsedRow;
  const char* source;
};

TEST(OdsReader, RepeatsAreBounded) {
  const std::string cell = "<table:table-cell office:value-type=\"float\" office:value=\"1\"/>";
  std::vector<RepeatCase> cases{
      {"a billion empty rows", "<table:table-row>" + cell + "</table:table-row><table:table-row "
       "table:number-rows-repeated=\"1000000000\"><table:table-cell/></table:table-row>", WorkbookError::None, 1,
       "trailing empty repeats cost nothing"},
      {"a billion rows with content", "<table:table-row table:number-rows-repeated=\"1000000000\">" + cell +
       "</table:table-row>", WorkbookError::TooManyRows, 0, "the row limit stops them"},
      {"a billion columns with content", "<table:table-row><table:table-cell table:number-columns-repeated="
       "\"1000000000\" office:value-type=\"float\" office:value=\"1\"/></table:table-row>", WorkbookError::None, 1,
       "only the kept columns are filled"},
      {"repeat past int64", "<table:table-row table:number-rows-repeated=\"99999999999999999999999\">"
       "<table:table-cell/></table:table-row><table:table-row>" + cell + "</table:table-row>",
       WorkbookError::TooManyRows, 0, "a huge count saturates"},
  };
  ForEachCase(cases, [&](const RepeatCase& c) {
    auto start = std::chrono::steady_clock::now();
    ReadResult read = ReadZip(Ods(Table("S", c.rows)), 2, 1000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.sheet.lastUsedRow, c.lastUsedRow);
  });
}

TEST(OdsReader, RefusedPackages) {
  EXPECT_EQ(ReadZip(Ods(Table("S", ""), true)).error, WorkbookError::Encrypted);
  ZipEntries truncated = Ods(Table("S", "<table:table-row><table:table-cell/></table:table-row>"));
  truncated[1].second.resize(truncated[1].second.find("<table:table-cell/>") + 5);
  EXPECT_EQ(ReadZip(truncated).error, WorkbookError::Corrupt);
}

TEST(OdsReader, SheetNamesPreviewAndChosenColumns) {
  testing::TempDir dir;
  const std::string row = "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"1\"/>"
                          "<table:table-cell office:value-type=\"string\"><text:p>x</text:p></table:table-cell>"
                          "<table:table-cell office:value-type=\"float\" office:value=\"3\"/></table:table-row>";
  testing::WriteBytes(dir.File("book.ods"),
                      testing::BuildZip(Ods(Table("第一", "") + Table("第二", row + row + row))));
  PreviewResult preview = PreviewWorkbook(dir.File("book.ods"), 1, 2);
  ASSERT_EQ(preview.error, WorkbookError::None);
  EXPECT_EQ(preview.preview.sheetNames, (std::vector<std::string>{"第一", "第二"}));
  EXPECT_EQ(preview.preview.rows, (Columns{{"1", "x", "3"}, {"1", "x", "3"}}));
  EXPECT_EQ(PreviewWorkbook(dir.File("book.ods"), 2, 2).error, WorkbookError::NotAWorkbook);

  const int chosen[] = {2, 0};
  ReadResult read = ReadWorksheetColumns(dir.File("book.ods"), 1, chosen, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (Columns{{"3", "3", "3"}, {"1", "1", "1"}}));

  // Repeated cells reach the kept columns inside them and only those: B and
  // C of "7" repeated over B to XFD, and a used column D beside them.
  testing::WriteBytes(dir.File("wide.ods"), testing::BuildZip(Ods(Table("S",
      "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell/><table:table-cell "
      "table:number-columns-repeated=\"16383\" office:value-type=\"float\" office:value=\"7\"/></table:table-row>"))));
  const int wide[] = {16383, 0, 2};
  read = ReadWorksheetColumns(dir.File("wide.ods"), 0, wide, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (Columns{{"7", "7", "7"}, {"", "", ""}, {"7", "7", "7"}}));
  EXPECT_EQ(read.sheet.lastUsedRow, 3);
}

TEST(WorkbookSheets, XlsxAndXlsNamesAndChoice) {
  testing::TempDir dir;
  ZipEntries xlsx = testing::MinimalXlsx("<row><c><v>1</v></c></row>");
  for (auto& [name, content] : xlsx) {
    if (name == "xl/workbook.xml") {
      content.replace(content.find("</sheets>"), 0, "<sheet name=\"二\" sheetId=\"2\" r:id=\"rId1\"/>");
    }
  }
  testing::WriteBytes(dir.File("book.xlsx"), testing::BuildZip(xlsx));
  PreviewResult preview = PreviewWorkbook(dir.File("book.xlsx"), 1, 5);
  ASSERT_EQ(preview.error, WorkbookError::None);
  EXPECT_EQ(preview.preview.sheetNames, (std::vector<std::string>{"Sheet1", "二"}));
  EXPECT_EQ(preview.preview.rows, (Columns{{"1"}}));

  BiffStream stream;
  stream.Add(biff::kBof, BofPayload(biff::kBiff8, biff::kGlobalsSubstream)).BoundSheet(0, 0).BoundSheet(0, 1);
  stream.Add(biff::kEof, {}).SheetStart(0).Add(biff::kBof, BofPayload(biff::kBiff8, biff::kWorksheetSubstream));
  stream.Add(biff::kNumber, Bytes().U16(0).U16(0).U16(0).F64(1)).Add(biff::kEof, {});
  stream.SheetStart(1).Add(biff::kBof, BofPayload(biff::kBiff8, biff::kWorksheetSubstream));
  stream.Add(biff::kNumber, Bytes().U16(0).U16(1).U16(0).F64(2)).Add(biff::kEof, {});
  testing::WriteBytes(dir.File("book.xls"), testing::CompoundFile({{"Workbook", stream.Stream()}}));
  const int chosen[] = {1};
  ReadResult read = ReadWorksheetColumns(dir.File("book.xls"), 1, chosen, 100);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (Columns{{"2"}}));
  PreviewResult xlsPreview = PreviewWorkbook(dir.File("book.xls"), 0, 5);
  EXPECT_EQ(xlsPreview.preview.sheetNames, (std::vector<std::string>{"S", "S"}));
}

struct FormatCase {
  const char* name;
  const char* code;
  DateKind kind;
  const char* source;
};

TEST(DateFormats, CodesTellDatesFromNumbers) {
  std::vector<FormatCase> cases{
      {"iso date", "yyyy-mm-dd", DateKind::Date, "m between y and d is a month"},
      {"chinese date", "yyyy\"年\"m\"月\"d\"日\"", DateKind::Date, "quoted text is not a code"},
      {"date and time", "yyyy/m/d h:mm", DateKind::DateTime, "m after h is minutes"},
      {"minutes seconds", "mm:ss", DateKind::Time, "m before s is minutes"},
      {"elapsed hours", "[h]:mm:ss", DateKind::Time, "bracketed elapsed time"},
      {"am pm", "h:mm AM/PM", DateKind::Time, "the M of AM/PM is no month"},
      {"coloured number", "[Red]0.00", DateKind::None, "brackets hide letters"},
      {"days as text", "0 \"days\"", DateKind::None, "quoted d and y"},
      {"escaped", "0\\d", DateKind::None, "an escaped d"},
      {"general", "General", DateKind::None, "no codes"},
      {"scientific", "0.00E+00", DateKind::None, "E is no code"},
      {"month name", "[$-804]mmmm", DateKind::Date, "a month alone"},
  };
  ForEachCase(cases, [](const FormatCase& c) { EXPECT_EQ(DateKindOfFormatCode(c.code), c.kind); });
}

struct SerialCase {
  const char* name;
  double serial;
  DateKind kind;
  bool date1904;
  const char* expected;
  const char* source;
};

TEST(DateFormats, SerialsAsExcelShowsThem) {
  std::vector<SerialCase> cases{
      {"new year", 45292, DateKind::Date, false, "2024/1/1", "=DATE(2024,1,1)"},
      {"excel's leap day", 60, DateKind::Date, false, "1900/2/29", "Excel counts 29 Feb 1900"},
      {"day after", 61, DateKind::Date, false, "1900/3/1", ""},
      {"before the leap day", 59, DateKind::Date, false, "1900/2/28", ""},
      {"1904 system", 0, DateKind::Date, true, "1904/1/1", "day 0 of the Mac system"},
      {"date and time", 45292.5208333333, DateKind::DateTime, false, "2024/1/1 12:30", "rounded to the second"},
      {"seconds shown", 45292 + 1.0 / 86400 * 3725, DateKind::DateTime, false, "2024/1/1 1:02:05", ""},
      {"time", 0.354166666666667, DateKind::Time, false, "8:30:00", ""},
      {"last day", 2958465, DateKind::Date, false, "9999/12/31", "Excel's last date"},
  };
  ForEachCase(cases, [](const SerialCase& c) {
    EXPECT_EQ(SerialDateText(c.serial, c.kind, c.date1904).value_or("none"), c.expected);
  });
  EXPECT_FALSE(SerialDateText(-1, DateKind::Date, false));
  EXPECT_FALSE(SerialDateText(2958466, DateKind::Date, false));
}

TEST(DateFormats, WorkbookDateCellsReadAsDateText) {
  // .xlsx: built-in 14 and 20, a custom Chinese date, a custom number, 1904.
  ReadResult xlsx = ReadZip(XlsxWithStyles(
      "<row><c s=\"1\"><v>45292</v></c><c s=\"2\"><v>0.5</v></c></row><row><c s=\"3\"><v>45293</v></c>"
      "<c s=\"4\"><v>45293</v></c></row><row><c s=\"0\"><v>45294</v></c><c s=\"5\"><v>-3</v></c></row>",
      "<numFmt numFmtId=\"176\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
      "<numFmt numFmtId=\"177\" formatCode=\"0.00&quot; d&quot;\"/>",
      "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"20\"/><xf numFmtId=\"176\"/><xf numFmtId=\"177\"/>"
      "<xf numFmtId=\"14\"/>"));
  ASSERT_EQ(xlsx.error, WorkbookError::None);
  EXPECT_EQ(xlsx.sheet.columns, (Columns{{"2024/1/1", "2024/1/2", "45294"}, {"12:00:00", "45293", "-3"}}));
  ReadResult mac = ReadZip(XlsxWithStyles("<row><c s=\"1\"><v>0</v></c></row>", "", "<xf/><xf numFmtId=\"15\"/>", true), 1);
  EXPECT_EQ(mac.sheet.columns, (Columns{{"1904/1/1"}}));

  // .xls: FORMAT, XF (cell XF 1 is a date, 2 a custom time), DATEMODE 0.
  BiffStream stream;
  stream.Add(biff::kBof, BofPayload(biff::kBiff8, biff::kGlobalsSubstream))
      .Add(biff::kDateMode, Bytes().U16(0))
      .Add(biff::kFormat, Bytes().U16(170).U16(5).U8(0).Raw("hh:mm"))
      .Add(biff::kXf, Bytes().U16(0).U16(0).U16(1))
      .Add(biff::kXf, Bytes().U16(0).U16(14).U16(1))
      .Add(biff::kXf, Bytes().U16(0).U16(170).U16(1))
      .BoundSheet(0, 0)
      .Add(biff::kEof, {})
      .SheetStart(0)
      .Add(biff::kBof, BofPayload(biff::kBiff8, biff::kWorksheetSubstream))
      .Add(biff::kNumber, Bytes().U16(0).U16(0).U16(1).F64(45292))
      .Add(biff::kNumber, Bytes().U16(0).U16(1).U16(2).F64(0.75))
      .Add(biff::kRk, Bytes().U16(1).U16(0).U16(1).U32((45293u << 2) | 0x2))
      .Add(biff::kNumber, Bytes().U16(1).U16(1).U16(0).F64(45293))
      .Add(biff::kEof, {});
  ReadResult xls = ReadFirstWorksheetFromMemory(testing::CompoundFile({{"Workbook", stream.Stream()}}), 2, 100);
  ASSERT_EQ(xls.error, WorkbookError::None);
  EXPECT_EQ(xls.sheet.columns, (Columns{{"2024/1/1", "2024/1/2"}, {"18:00:00", "45293"}}));

  // .ods: a date, a date-time, a time.
  ReadResult ods = ReadZip(Ods(Table(
      "S", "<table:table-row><table:table-cell office:value-type=\"date\" office:date-value=\"1900-02-28\"/>"
           "<table:table-cell office:value-type=\"time\" office:time-value=\"PT08H30M00S\"/></table:table-row>")));
  ASSERT_EQ(ods.error, WorkbookError::None);
  EXPECT_EQ(ods.sheet.columns, (Columns{{"1900/2/28"}, {"8:30:00"}}));
}

}  // namespace
}  // namespace kelvasta
