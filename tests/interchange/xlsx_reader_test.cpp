// The .xlsx reader on packages built the ways LibreOffice, openpyxl,
// XlsxWriter, Excel and smaller tools write them.

#include <gtest/gtest.h>

#include <algorithm>

#include "interchange/cell_text.h"
#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::BuildZip;
using testing::ForEachCase;
using testing::MinimalXlsx;
using testing::ZipEntries;
using Columns = std::vector<std::vector<std::string>>;

ReadResult ReadZip(const ZipEntries& entries, int columnCount = 2, std::int64_t maxRows = 100000) {
  std::vector<std::byte> bytes = BuildZip(entries);
  return ReadFirstWorksheetFromMemory(bytes, columnCount, maxRows);
}

void Replace(ZipEntries& entries, const std::string& name, const std::string& content) {
  for (auto& [entryName, entryContent] : entries) {
    if (entryName == name) {
      entryContent = content;
      return;
    }
  }
  entries.emplace_back(name, content);
}

struct SheetCase {
  const char* name;
  std::string sheetData;
  std::string sharedStrings;
  Columns expected;
  const char* source;
};

TEST(XlsxReader, CellsAsTheirWritersStoreThem) {
  std::vector<SheetCase> cases{
      {"libreoffice numbers",
       "<row r=\"1\" customFormat=\"false\" ht=\"12.8\" hidden=\"false\" customHeight=\"false\" outlineLevel=\"0\" "
       "collapsed=\"false\"><c r=\"A1\" s=\"0\" t=\"n\"><v>5</v></c><c r=\"B1\" s=\"0\" t=\"n\"><v>6</v></c></row>"
       "<row r=\"2\"><c r=\"A2\" s=\"0\" t=\"n\"><v>0.30000000000000004</v></c><c r=\"B2\" s=\"0\" t=\"s\"><v>0</v></c></row>",
       "<si><t>血压</t></si>", {{"5", "0.3"}, {"6", "血压"}}, "LibreOffice writes t=\"n\" and round-trip digits"},
      {"inline strings",
       "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>内联</t></is></c>"
       "<c r=\"B1\" t=\"inlineStr\"><is><r><t>a</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> b</t></r>"
       "<rPh sb=\"0\" eb=\"1\"><t>ignored</t></rPh></is></c></row>",
       "", {{"内联"}, {"a b"}}, "XlsxWriter's constant-memory mode, openpyxl rich text"},
      {"rows and cells without r",
       "<row><c><v>1</v></c><c><v>2</v></c></row><row><c t=\"inlineStr\"><is><t>x</t></is></c></row>"
       "<row r=\"5\"><c><v>5</v></c><c r=\"C5\"><v>6</v></c><c><v>7</v></c></row><row><c r=\"B\"><v>8</v></c></row>",
       "", {{"1", "x", "", "", "5", ""}, {"2", "", "", "", "", "8"}},
       "a row follows the previous row, a cell the previous cell"},
      {"shared rich text",
       "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
       "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>2</v></c><c r=\"B2\" t=\"s\"><v>3</v></c></row>",
       "<si><r><rPr><sz val=\"11\"/></rPr><t>收缩</t></r><r><rPr><b/></rPr><t>压</t></r></si>"
       "<si><t>line_x000D_break</t><rPh sb=\"0\" eb=\"2\"><t>フリガナ</t></rPh><phoneticPr fontId=\"1\"/></si>"
       "<si><t>&lt;5 &amp; &#x8840;&#21387;</t></si><si><t/></si>",
       {{"收缩压", "<5 & 血压"}, {"line\rbreak", ""}}, "Excel: runs joined, phonetic guide left out"},
      {"value types",
       "<row r=\"1\"><c r=\"A1\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab</v></c><c r=\"B1\" t=\"b\"><v>1</v></c></row>"
       "<row r=\"2\"><c r=\"A2\" t=\"b\"><v>0</v></c><c r=\"B2\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c></row>"
       "<row r=\"3\"><c r=\"A3\" t=\"d\"><v>2024-01-01T12:00:00</v></c><c r=\"B3\" s=\"1\"><v>45292</v></c></row>"
       "<row r=\"4\"><c r=\"A4\"><f>1+1</f><v>2</v></c><c r=\"B4\"><f>SUM(A1:A3)</f><v></v></c></row>"
       "<row r=\"5\"><c r=\"A5\" s=\"3\"/><c r=\"B5\" t=\"e\"><v>#N/A</v></c></row>",
       "", {{"ab", "FALSE", "2024/1/1 12:00", "2", ""}, {"TRUE", "#DIV/0!", "45292", "", "#N/A"}},
       "formula results, booleans, errors; an ISO date as its date text, a styled number without styles as a number"},
      {"markup variety",
       "<!-- written by hand --><row r='1'><c r='A1'><v><![CDATA[12.50]]></v></c>"
       "<c r='B1' t='inlineStr'><is><t><![CDATA[<raw> & text]]></t></is></c></row><?pi data?>"
       "<row r=\"2\" spans=\"1:2\"><c r=\"A2\" t=\"inlineStr\"><is><t>a\r\nb</t></is></c></row>",
       "", {{"12.5", "a\nb"}, {"<raw> & text", ""}}, "XML: CDATA, comments, single quotes, line ends"},
      {"tag punctuation",
       "<row r=\"1\" note=\"a>b\" other='\">'><c r=\"A1\" x=\">\"><v>1</v></c><c r='B1' y=\"'>\"><v>2</v></c></row>"
       "<row r=\"0002\"><c r=\"A002\" t=\"n\"><v>107.10</v></c><c r=\"B2\"><v>-0.00</v></c></row>",
       "", {{"1", "107.1"}, {"2", "0"}},
       "XML: a '>' inside double- or single-quoted values does not end the tag; leading zeros in row numbers"},
      {"empty sheet", "", "", {{}, {}}, "no rows"},
  };
  ForEachCase(cases, [](const SheetCase& c) {
    ReadResult read = ReadZip(MinimalXlsx(c.sheetData, c.sharedStrings));
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, c.expected);
    EXPECT_EQ(read.sheet.lastUsedRow, static_cast<std::int64_t>(c.expected[0].size()));
  });
}

TEST(XlsxReader, AbsoluteAndRelativeTargetsNameTheSamePart) {
  const std::string row = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  for (const char* target : {"worksheets/sheet1.xml", "/xl/worksheets/sheet1.xml", "./worksheets/../worksheets/sheet1.xml",
                             "Worksheets/Sheet1.xml"}) {
    SCOPED_TRACE(target);
    ReadResult read = ReadZip(MinimalXlsx(row, "", target), 1);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns[0], std::vector<std::string>{"1"});
  }
}

TEST(XlsxReader, PrefixedElementsAsTheOpenXmlSdkWritesThem) {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  ZipEntries entries = MinimalXlsx("");
  Replace(entries, "xl/workbook.xml",
          "<x:workbook xmlns:x=\"" + main + "\" xmlns:rel=\"" + rel + "\"><x:sheets>"
          "<x:sheet name=\"Data\" sheetId=\"7\" rel:id=\"rId1\"/></x:sheets></x:workbook>");
  Replace(entries, "xl/worksheets/sheet1.xml",
          "<x:worksheet xmlns:x=\"" + main + "\"><x:sheetData><x:row r=\"1\"><x:c r=\"B1\" t=\"inlineStr\">"
          "<x:is><x:t>前缀</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>");
  ReadResult read = ReadZip(entries);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (Columns{{""}, {"前缀"}}));
}

TEST(XlsxReader, FirstWorksheetSkipsChartSheetsAndFollowsTheOfficeDocument) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  ZipEntries entries = MinimalXlsx("");
  Replace(entries, "_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"a\" Type=\"" + rel + "/officeDocument\" Target=\"book/main.xml\"/></Relationships>");
  entries.emplace_back("book/main.xml",
                       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" + rel +
                           "\"><workbookPr date1904=\"1\"/><sheets><sheet name=\"Chart\" sheetId=\"1\" r:id=\"c\"/>"
                           "<sheet name=\"Data\" sheetId=\"2\" r:id=\"w\"/><sheet name=\"More\" sheetId=\"3\" r:id=\"x\"/>"
                           "</sheets></workbook>");
  entries.emplace_back("book/_rels/main.xml.rels",
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"c\" Type=\"" + rel + "/chartsheet\" Target=\"charts/c1.xml\"/>"
                       "<Relationship Id=\"x\" Type=\"" + rel + "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/>"
                       "<Relationship Id=\"w\" Type=\"" + rel + "/worksheet\" Target=\"data%20sheet.xml\"/>"
                       "</Relationships>");
  entries.emplace_back("book/data sheet.xml",
                       "<worksheet><sheetData><row><c t=\"d\"><v>1904-01-03</v></c></row></sheetData></worksheet>");
  ReadResult read = ReadZip(entries, 1);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns[0], std::vector<std::string>{"1904/1/3"}) << "an ISO date reads as its date";
}

TEST(XlsxReader, LastUsedRowAndTheRowLimitCountEveryColumn) {
  const std::string sheet = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"40\"><c r=\"Z40\"><v>9</v></c></row>";
  ReadResult read = ReadZip(MinimalXlsx(sheet), 2, 40);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 40);
  EXPECT_EQ(read.sheet.columns[0].size(), 40u);
  EXPECT_EQ(ReadZip(MinimalXlsx(sheet), 2, 39).error, WorkbookError::TooManyRows);
  // Empty cells far down (formatting only) do not count.
  ReadResult styled = ReadZip(MinimalXlsx("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"900\"><c r=\"A900\" s=\"2\"/></row>"), 2, 10);
  ASSERT_EQ(styled.error, WorkbookError::None);
  EXPECT_EQ(styled.sheet.lastUsedRow, 1);
}

TEST(XlsxReader, QuotedGreaterThanAtEveryOffsetOfATag) {
  // Tags are scanned in blocks of bytes: a '>' inside a value, an apostrophe
  // or a quote may fall anywhere in a block, or on the last byte before one.
  for (std::size_t pad = 0; pad < 40; ++pad) {
    const std::string fill(pad, 'x');
    const std::string sheet =
        "<row r=\"1\" a=\"" + fill + ">\"><c r=\"A1\" b='" + fill + "\">'><v>1</v></c>"
        "<c r=\"B1\" " + fill + "=\"\"><v>2</v></c></row>";
    ReadResult read = ReadZip(MinimalXlsx(sheet));
    ASSERT_EQ(read.error, WorkbookError::None) << pad;
    EXPECT_EQ(read.sheet.columns, (Columns{{"1"}, {"2"}})) << pad;
    EXPECT_EQ(ReadZip(MinimalXlsx("<row r=\"1\" " + fill + " <c/></row>")).error, WorkbookError::Corrupt) << pad;
  }
}

TEST(XlsxReader, SheetsManyTimesTheReadAheadRing) {
  // Several megabytes inflate well ahead of the scanner and wrap its ring
  // of buffers many times; every row must come through once, in order.
  constexpr int kRows = 60000;
  std::string rows;
  for (int r = 1; r <= kRows; ++r) {
    const std::string n = std::to_string(r);
    rows += "<row r=\"" + n + "\" spans=\"1:2\" ht=\"12.8\" customHeight=\"false\"><c r=\"A" + n + "\" t=\"n\"><v>" + n +
            "</v></c><c r=\"B" + n + "\" t=\"inlineStr\"><is><t>x" + n + "</t></is></c></row>";
  }
  ReadResult read = ReadZip(MinimalXlsx(rows));
  ASSERT_EQ(read.error, WorkbookError::None);
  ASSERT_EQ(read.sheet.lastUsedRow, kRows);
  for (int r = 1; r <= kRows; ++r) {
    ASSERT_EQ(read.sheet.columns[0][static_cast<std::size_t>(r - 1)], std::to_string(r));
    ASSERT_EQ(read.sheet.columns[1][static_cast<std::size_t>(r - 1)], "x" + std::to_string(r));
  }
}

TEST(XlsxReader, DimensionsThatDoNotMatchTheRows) {
  struct DimensionCase {
    const char* name;
    std::string dimension;
    int rows;
    const char* source;
  };
  std::vector<DimensionCase> cases{
      {"fewer rows than announced", "A1:B100000", 3, "storage reserved for rows that never come"},
      {"more rows than announced", "A1:B2", 300, "the reserved storage is outgrown"},
      {"whole sheet announced, nothing there", "A1:XFD1048576", 0, "a sheet of formatting only"},
      {"announced past the read's limit", "A1:B9999999", 5, "not a row number: nothing reserved"},
  };
  ForEachCase(cases, [](const DimensionCase& c) {
    std::string rows;
    for (int r = 1; r <= c.rows; ++r) {
      rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" + std::to_string(r) +
              "</v></c></row>";
    }
    ZipEntries entries = MinimalXlsx("");
    Replace(entries, "xl/worksheets/sheet1.xml",
            "<worksheet><dimension ref=\"" + c.dimension + "\"/><sheetData>" + rows + "</sheetData></worksheet>");
    ReadResult read = ReadZip(entries, 2, 1048576);
    ASSERT_EQ(read.error, WorkbookError::None);
    ASSERT_EQ(read.sheet.lastUsedRow, c.rows);
    for (int r = 1; r <= c.rows; ++r) {
      ASSERT_EQ(read.sheet.columns[0][static_cast<std::size_t>(r - 1)], std::to_string(r));
    }
    EXPECT_LT(read.sheet.columns[0].capacity(), 1000u) << "no storage kept for the rows that did not come";
  });
}

struct DamageCase {
  const char* name;
  ZipEntries entries;
  WorkbookError error;
  const char* source;
};

TEST(XlsxReader, PackagesThatAreNotReadableWorkbooks) {
  const std::string goodRow = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  ZipEntries truncatedSheet = MinimalXlsx(goodRow);
  Replace(truncatedSheet, "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v>");
  ZipEntries missingSheet = MinimalXlsx(goodRow, "", "worksheets/absent.xml");
  ZipEntries docx{{"_rels/.rels",
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
                  {"word/document.xml", "<w:document xmlns:w=\"urn:w\"><w:body/></w:document>"}};
  ZipEntries xlsb = MinimalXlsx(goodRow);
  Replace(xlsb, "_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "officeDocument\" Target=\"xl/workbook.bin\"/></Relationships>");
  ZipEntries ods{{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", "<office/>"}};
  ZipEntries odt{{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<office/>"}};
  ZipEntries doctype = MinimalXlsx(goodRow);
  Replace(doctype, "xl/worksheets/sheet1.xml",
          "<!DOCTYPE worksheet [<!ENTITY e \"x\">]><worksheet><sheetData>" + goodRow + "</sheetData></worksheet>");
  ZipEntries noRels = MinimalXlsx(goodRow);
  Replace(noRels, "xl/_rels/workbook.xml.rels", "<Relationships");
  std::vector<DamageCase> cases{
      {"truncated sheet", truncatedSheet, WorkbookError::Corrupt, "the part ends before </sheetData>"},
      {"missing sheet part", missingSheet, WorkbookError::Corrupt, "the relationship names no entry"},
      {"string index past table", MinimalXlsx("<row><c t=\"s\"><v>3</v></c></row>", "<si><t>a</t></si>"),
       WorkbookError::Corrupt, "shared string 3 of 1"},
      {"row zero", MinimalXlsx("<row r=\"0\"><c><v>1</v></c></row>"), WorkbookError::Corrupt, "rows start at 1"},
      {"bad reference", MinimalXlsx("<row><c r=\"1A\"><v>1</v></c></row>"), WorkbookError::Corrupt, "not a cell"},
      {"negative row", MinimalXlsx("<row r=\"-1\"><c><v>1</v></c></row>"), WorkbookError::Corrupt, "no sign in a row number"},
      {"row past the last", MinimalXlsx("<row r=\"99999999999999999999\"><c><v>1</v></c></row>"),
       WorkbookError::Corrupt, "beyond 1,048,576 and beyond 64 bits"},
      {"tag inside a tag", MinimalXlsx("<row r=\"1\" <c><v>1</v></c></row>"), WorkbookError::Corrupt,
       "'<' outside quotes in markup"},
      {"bad entity", MinimalXlsx("<row><c><v>&bogus;</v></c></row>"), WorkbookError::Corrupt, "undefined entity"},
      {"document type", doctype, WorkbookError::Corrupt, "no DTDs in a worksheet"},
      {"broken relationships", noRels, WorkbookError::Corrupt, "unfinished XML"},
      {"word document", docx, WorkbookError::NotAWorkbook, "a .docx"},
      {"binary workbook", xlsb, WorkbookError::NotAWorkbook, "an .xlsb"},
      {"opendocument without a table", ods, WorkbookError::Corrupt, "read as .ods, whose content ends too soon"},
      {"opendocument text", odt, WorkbookError::NotAWorkbook, "an .odt"},
  };
  ForEachCase(cases, [](const DamageCase& c) { EXPECT_EQ(ReadZip(c.entries).error, c.error); });
}

TEST(XlsxReader, EncryptedEntriesGiveEncrypted) {
  std::vector<std::byte> bytes = BuildZip(MinimalXlsx("<row><c><v>1</v></c></row>"), "secret");
  EXPECT_EQ(ReadFirstWorksheetFromMemory(bytes, 2, 100).error, WorkbookError::Encrypted);
}

TEST(XlsxReader, OpenpyxlWorkbooks) {
  if (!testing::PythonHas("openpyxl")) {
    GTEST_SKIP() << "/usr/bin/python3 with openpyxl (python3-openpyxl) is not installed";
  }
  testing::TempDir dir;
  std::string path = dir.File("openpyxl.xlsx");
  std::string output;
  ASSERT_EQ(testing::RunPython(
                "import datetime, openpyxl\n"
                "book = openpyxl.Workbook()\n"
                "sheet = book.active\n"
                "sheet.append([5, '张三'])\n"
                "sheet.append([7.25, True])\n"
                "sheet.append([None, '=A1+A2'])\n"
                "sheet['A4'] = datetime.datetime(2024, 1, 1, 12, 0)\n"
                "sheet['A6'] = 1e-7\n"
                "sheet['C6'] = 'not read'\n"
                "book.create_sheet('second')['A1'] = 'other sheet'\n"
                "book.save('" + path + "')\n",
                output),
            0)
      << output;
  ReadResult read = ReadFirstWorksheet(path, 2, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  // openpyxl stores no cached value for formulas, and dates as serial numbers
  // with a date-time format.
  EXPECT_EQ(read.sheet.columns, (Columns{{"5", "7.25", "", "2024/1/1 12:00", "", "1E-07"}, {"张三", "TRUE", "", "", "", ""}}));
}

TEST(XlsxReader, XlsxWriterWorkbooks) {
  if (!testing::PythonHas("xlsxwriter")) {
    GTEST_SKIP() << "/usr/bin/python3 with xlsxwriter (python3-xlsxwriter) is not installed";
  }
  testing::TempDir dir;
  for (const char* mode : {"False", "True"}) {
    SCOPED_TRACE(std::string("constant_memory=") + mode);
    std::string path = dir.File(std::string("xlsxwriter-") + mode + ".xlsx");
    std::string output;
    ASSERT_EQ(testing::RunPython(
                  "import xlsxwriter\n"
                  "book = xlsxwriter.Workbook('" + path + "', {'constant_memory': " + mode + "})\n"
                  "sheet = book.add_worksheet()\n"
                  "sheet.write_number(0, 0, 12.5)\n"
                  "sheet.write_string(0, 1, '舒张压')\n"
                  "sheet.write_boolean(1, 0, False)\n"
                  "sheet.write_formula(1, 1, '=A1*2', None, 25)\n"
                  "sheet.write_formula(2, 0, '=\"x\"&\"y\"', None, 'xy')\n"
                  "sheet.write_string(3, 1, 'a & <b>')\n"
                  "book.close()\n",
                  output),
              0)
        << output;
    ReadResult read = ReadFirstWorksheet(path, 2, 1000);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, (Columns{{"12.5", "FALSE", "xy", ""}, {"舒张压", "25", "", "a & <b>"}}));
  }
}

// LibreOffice's own writers: our .xls converted to .xlsx and back to .xls
// by LibreOffice must read as the same cells (skipped without LibreOffice).
TEST(XlsxReader, LibreOfficeWorkbooks) {
  if (!testing::HasLibreOffice()) {
    GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  }
  Columns columns{{"5", "7.25", "", "血压", "-0.001", "1E+15"}, {"TRUE", "text", "", "", "3", ""}};
  for (int i = 0; i < 300; ++i) {
    columns[0].push_back(std::to_string(i * 7) + ".5");
    columns[1].push_back(i % 3 == 0 ? "组" + std::to_string(i) : "");
  }
  testing::TempDir dir;
  std::string source = dir.File("source.xls");
  ASSERT_EQ(WriteWorkbookXls(source, columns), WorkbookError::None);
  std::string xlsx = testing::ConvertWithLibreOffice(source, "xlsx", "xlsx", dir.File("xlsx"));
  std::string xls = testing::ConvertWithLibreOffice(source, "xls:MS Excel 97", "xls", dir.File("xls"));
  ASSERT_FALSE(xlsx.empty());
  ASSERT_FALSE(xls.empty());
  for (const std::string& path : {xlsx, xls}) {
    SCOPED_TRACE(path);
    ReadResult read = ReadFirstWorksheet(path, 2, 1000);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, columns);
  }
}

// Hostile packages small on disk whose texts would take gigabytes: each is
// refused once a limit is passed, and reads when the limits allow it.
struct LimitCase {
  const char* name;
  ZipEntries entries;
  ReadLimits limits;
  WorkbookError error;
  const char* source;
};

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(XlsxReader, TextBeyondTheLimitsIsRefused) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  std::string manyCells;
  for (int row = 1; row <= 2000; ++row) {
    manyCells += "<row r=\"" + std::to_string(row) + "\"><c t=\"s\"><v>0</v></c></row>";
  }
  const std::string oneString = "<si><t>" + std::string(1000, 'x') + "</t></si>";
  ZipEntries manyRels = MinimalXlsx("");
  Replace(manyRels, "xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
              Repeat("<Relationship Id=\"s\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>", 100) +
              "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
              "</Relationships>");
  const std::string split = "<row><c t=\"inlineStr\"><is><t>" + Repeat(std::string(600, 'y') + "<!---->", 2) +
                            "</t></is></c></row>";
  std::vector<LimitCase> cases{
      {"long unused shared string", MinimalXlsx("", "<si><t>" + std::string(std::size_t{2} << 20, 'a') + "</t></si>"),
       {}, WorkbookError::TooMuchText, "one string past 1 MiB, though no cell uses it"},
      {"many empty shared strings", MinimalXlsx("", Repeat("<si/>", 101)), {.maxSharedStrings = 100},
       WorkbookError::TooMuchText, "101 entries, 100 allowed"},
      {"empty shared strings within the count", MinimalXlsx("", Repeat("<si/>", 100)), {.maxSharedStrings = 100},
       WorkbookError::None, "exactly the count allowed"},
      {"one string in many cells", MinimalXlsx(manyCells, oneString), {.maxHeldBytes = 1 << 20},
       WorkbookError::TooMuchText, "2000 copies of 1000 bytes kept"},
      {"many cells within the total", MinimalXlsx(manyCells, oneString), {}, WorkbookError::None,
       "2 MB is within the usual total"},
      {"cell text split by comments", MinimalXlsx(split), {.maxTextBytes = 1000}, WorkbookError::TooMuchText,
       "each piece is short, the text is not"},
      {"many relationships", manyRels, {.maxSharedStrings = 100}, WorkbookError::TooMuchText,
       "101 relationships, 100 allowed"},
  };
  ForEachCase(cases, [](const LimitCase& c) {
    std::vector<std::byte> bytes = BuildZip(c.entries);
    ReadResult read = ReadFirstWorksheetFromMemory(bytes, 2, 100000, c.limits);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.sheet.columns.empty(), c.error != WorkbookError::None);
  });
  EXPECT_NE(DescribeWorkbookError(WorkbookError::TooMuchText), "");
}

// A kept text longer than the scanner's buffer is taken out piece by piece;
// references and line ends cut by a buffer boundary still decode whole.
TEST(XlsxReader, LongTextAcrossBufferBoundaries) {
  const std::string raw = Repeat("a&amp;&#x8840;b\r\n", 60000);  // 1 MB of markup, 540 kB of text
  ReadResult read = ReadZip(MinimalXlsx("<row><c t=\"inlineStr\"><is><t>" + raw + "</t></is></c></row>"), 1);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_TRUE(read.sheet.columns[0][0] == Repeat("a&血b\n", 60000));
}

// An XML part in UTF-16, as .NET and some exporters write it.
std::string Utf16Part(std::string utf8, bool bigEndian, bool byteOrderMark) {
  if (std::size_t at = utf8.find("encoding=\"UTF-8\""); at != std::string::npos) {
    utf8.replace(at, 16, "encoding=\"UTF-16\"");
  }
  std::u16string units = Utf8ToUtf16(utf8);
  if (byteOrderMark) units.insert(units.begin(), u'\uFEFF');
  std::string bytes;
  for (char16_t u : units) {
    char high = static_cast<char>(u >> 8);
    char low = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TEST(XlsxReader, Utf16PartsReadLikeUtf8) {
  const ZipEntries plain = MinimalXlsx(
      "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>血压 \xF0\xA0\x80\x80</t></is></c>"
      "<c r=\"B1\" t=\"s\"><v>0</v></c></row><row r=\"2\"><c r=\"A2\"><v>12.50</v></c></row>",
      "<si><t>共享 \xF0\x9D\x91\xA5</t></si>");
  const Columns expected{{"血压 \xF0\xA0\x80\x80", "12.5"}, {"共享 \xF0\x9D\x91\xA5", ""}};
  struct Utf16Case {
    const char* name;
    std::vector<std::string> parts;
    bool bigEndian;
    bool byteOrderMark;
    const char* source;
  };
  const std::string sheet = "xl/worksheets/sheet1.xml";
  std::vector<Utf16Case> cases{
      {"sheet, little-endian with mark", {sheet}, false, true, "Windows' usual UTF-16"},
      {"sheet, big-endian with mark", {sheet}, true, true, "either byte order is allowed"},
      {"sheet, no mark", {sheet}, false, false, "the first character '<' tells the byte order"},
      {"shared strings", {"xl/sharedStrings.xml"}, true, true, "the table goes through the same scanner"},
      {"workbook and relationships", {"_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels"}, false, true,
       "the parts read by the general parser"},
  };
  ForEachCase(cases, [&](const Utf16Case& c) {
    ZipEntries entries = plain;
    for (auto& [name, content] : entries) {
      if (std::find(c.parts.begin(), c.parts.end(), name) != c.parts.end()) {
        content = Utf16Part(content, c.bigEndian, c.byteOrderMark);
      }
    }
    ReadResult read = ReadZip(entries);
    ASSERT_EQ(read.error, WorkbookError::None);
    EXPECT_EQ(read.sheet.columns, expected);
  });
}

// Chart sheets ahead of the first worksheet, each with its relationship.
TEST(XlsxReader, WorksheetAfterManyChartSheets) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const int charts = 160000;
  std::string sheets;
  std::string relationships;
  for (int i = 0; i < charts; ++i) {
    std::string id = "c" + std::to_string(i);
    sheets += "<sheet name=\"" + id + "\" sheetId=\"" + std::to_string(i + 2) + "\" r:id=\"" + id + "\"/>";
    relationships += "<Relationship Id=\"" + id + "\" Type=\"" + rel + "/chartsheet\" Target=\"charts/" + id + ".xml\"/>";
  }
  ZipEntries entries = MinimalXlsx("<row><c><v>7</v></c></row>");
  Replace(entries, "xl/workbook.xml",
          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" + rel +
              "\"><sheets>" + sheets + "<sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  Replace(entries, "xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + relationships +
              "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
              "</Relationships>");
  ReadResult read = ReadZip(entries, 1);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (Columns{{"7"}}));
}

}  // namespace
}  // namespace kelvasta
