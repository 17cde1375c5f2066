// The BIFF reader on workbook streams built record by record, the way Excel
// and other writers lay them out.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string_view>

#include "interchange/biff.h"
#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::BiffStream;
using testing::BofPayload;
using testing::Bytes;
using testing::CompoundFile;
using testing::ForEachCase;

std::vector<std::uint8_t> Cell(std::uint16_t row, std::uint16_t column) {
  return Bytes().U16(row).U16(column).U16(15);
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::uint8_t> NumberRecord(std::uint16_t row, std::uint16_t column, double value) {
  return Concat(Cell(row, column), Bytes().F64(value));
}

// A BIFF8 string with a 16-bit count: compressed when every character is
// below U+0100, else UTF-16.
std::vector<std::uint8_t> UnicodeString(const std::u16string& text) {
  bool wide = false;
  for (char16_t u : text) wide = wide || u > 0xFF;
  Bytes bytes;
  bytes.U16(static_cast<std::uint16_t>(text.size())).U8(wide ? 1 : 0);
  for (char16_t u : text) {
    if (wide) {
      bytes.U16(u);
    } else {
      bytes.U8(static_cast<std::uint8_t>(u));
    }
  }
  return bytes;
}

// A formula record whose cached result has the given eight bytes.
std::vector<std::uint8_t> FormulaRecord(std::uint16_t row, std::uint16_t column,
                                        const std::vector<std::uint8_t>& result) {
  // Result, options, reserved, then a formula of one token (3 bytes).
  return Concat(Concat(Cell(row, column), result), Bytes().U16(0).U32(0).U16(3).U8(0x1E).U16(1));
}

std::vector<std::uint8_t> SpecialResult(std::uint8_t type, std::uint8_t value) {
  return Bytes().U8(type).U8(0).U8(value).U8(0).U8(0).U8(0).U16(0xFFFF);
}

// Globals with one worksheet and, when given, an SST payload; the sheet
// holds `cells` (already encoded records).
std::vector<std::uint8_t> Workbook(const std::vector<std::uint8_t>& cells,
                                   const std::vector<std::vector<std::uint8_t>>& sst = {}) {
  BiffStream stream;
  stream.Add(biff::kBof, BofPayload(biff::kBiff8, biff::kGlobalsSubstream))
      .Add(biff::kCodePage, Bytes().U16(1200))
      .BoundSheet(0, 0);
  if (!sst.empty()) {
    stream.Add(biff::kSst, sst[0]);
    for (std::size_t i = 1; i < sst.size(); ++i) {
      stream.Add(biff::kContinue, sst[i]);
    }
  }
  stream.Add(biff::kEof, {}).SheetStart(0).Add(biff::kBof, BofPayload(biff::kBiff8, biff::kWorksheetSubstream));
  std::vector<std::uint8_t> bytes = stream.Stream();
  bytes.insert(bytes.end(), cells.begin(), cells.end());
  std::vector<std::uint8_t> eof = testing::BiffRecord(biff::kEof, {});
  bytes.insert(bytes.end(), eof.begin(), eof.end());
  return bytes;
}

ReadResult ReadStream(const std::vector<std::uint8_t>& stream, int columnCount = 2,
                      std::int64_t maxRows = 1000, const std::string& name = "Workbook") {
  std::vector<std::byte> file = CompoundFile({{name, stream}});
  return ReadFirstWorksheetFromMemory(file, columnCount, maxRows);
}

class Records {
 public:
  Records& Add(std::uint16_t id, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> record = testing::BiffRecord(id, payload);
    bytes_.insert(bytes_.end(), record.begin(), record.end());
    return *this;
  }
  const std::vector<std::uint8_t>& get() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

TEST(XlsReader, ReadsEveryKindOfCellRecord) {
  std::vector<std::uint8_t> sst = Concat(Bytes().U32(1).U32(2), Concat(UnicodeString(u"zero"), UnicodeString(u"共享")));
  Records cells;
  cells.Add(biff::kDimensions, Bytes().U32(0).U32(15).U16(0).U16(2).U16(0))
      .Add(biff::kNumber, NumberRecord(0, 0, 12.5))
      .Add(biff::kRk, Concat(Cell(1, 0), Bytes().U32((42u << 2) | 2)))           // integer 42
      .Add(biff::kRk, Concat(Cell(2, 0), Bytes().U32((123u << 2) | 3)))          // 123 / 100
      .Add(biff::kRk, Concat(Cell(3, 0), Bytes().U32(0x3FE00000)))               // top bits of 0.5
      .Add(biff::kMulRk, Bytes().U16(4).U16(0).U16(15).U32((7u << 2) | 2).U16(15)
                             .U32(static_cast<std::uint32_t>(-3 * 4) | 2).U16(1))
      .Add(biff::kLabelSst, Concat(Cell(5, 0), Bytes().U32(1)))
      .Add(biff::kLabel, Concat(Cell(6, 0), UnicodeString(u"label")))
      .Add(biff::kRString, Concat(Concat(Cell(7, 0), UnicodeString(u"富文本")), Bytes().U16(1).U16(0).U16(1)))
      .Add(biff::kBoolErr, Concat(Cell(8, 0), Bytes().U8(1).U8(0)))
      .Add(biff::kBoolErr, Concat(Cell(8, 1), Bytes().U8(0x07).U8(1)))
      .Add(biff::kFormula, FormulaRecord(9, 0, Bytes().F64(3.25)))
      .Add(biff::kFormula, FormulaRecord(10, 0, SpecialResult(0, 0)))
      .Add(0x04BC, Bytes().U32(0).U16(0).U16(0))  // SHRFMLA may come between
      .Add(biff::kString, UnicodeString(u"公式结果"))
      .Add(biff::kFormula, FormulaRecord(11, 0, SpecialResult(1, 0)))
      .Add(biff::kFormula, FormulaRecord(12, 0, SpecialResult(2, 0x2A)))
      .Add(biff::kFormula, FormulaRecord(13, 0, SpecialResult(3, 0)))
      .Add(biff::kFormula, FormulaRecord(14, 1, Bytes().F64(1.0 / 3)));
  ReadResult read = ReadStream(Workbook(cells.get(), {sst}));
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 15);
  std::vector<std::string> a{"12.5", "42", "1.23", "0.5", "7", "共享", "label", "富文本", "TRUE",
                             "3.25", "公式结果", "FALSE", "#N/A", "", ""};
  std::vector<std::string> b(15);
  b[4] = "-3";
  b[8] = "#DIV/0!";
  b[14] = "0.333333333333333";
  EXPECT_EQ(read.sheet.columns[0], a);
  EXPECT_EQ(read.sheet.columns[1], b);
}

// Strings as Excel splits them: a rich-text string with a phonetic block
// whose characters cross into a CONTINUE (fresh option byte, switching from
// UTF-16 to one byte per character) and whose runs cross into another.
TEST(XlsReader, SharedStringsSplitAcrossContinueRecords) {
  std::vector<std::uint8_t> first = Concat(Bytes().U32(3).U32(3), UnicodeString(u"plain"));
  first = Concat(first, Bytes().U16(4).U8(0x0D).U16(2).U32(6).U16(u'血').U16(u'压'));
  std::vector<std::uint8_t> second = Bytes().U8(0x00).Raw("ab").U32(0x00010000);
  std::vector<std::uint8_t> third = Concat(Bytes().U32(0x00030001).Raw("phonet"), UnicodeString(u"end"));
  Records cells;
  cells.Add(biff::kLabelSst, Concat(Cell(0, 0), Bytes().U32(0)))
      .Add(biff::kLabelSst, Concat(Cell(1, 0), Bytes().U32(1)))
      .Add(biff::kLabelSst, Concat(Cell(2, 0), Bytes().U32(2)));
  ReadResult read = ReadStream(Workbook(cells.get(), {first, second, third}));
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns[0], (std::vector<std::string>{"plain", "血压ab", "end"}));
}

TEST(XlsReader, LongLabelGoesOnInContinueRecords) {
  std::u16string text(5000, u'测');  // 10,000 bytes: more than one record holds
  std::vector<std::uint8_t> label = Concat(Cell(0, 0), UnicodeString(text));
  // Cell (6 bytes), string header (3), then 3,996 characters in the LABEL.
  std::vector<std::uint8_t> head(label.begin(), label.begin() + 8001);
  std::vector<std::uint8_t> tail = Concat(Bytes().U8(1), std::vector<std::uint8_t>(label.begin() + 8001, label.end()));
  Records cells;
  cells.Add(biff::kLabel, head).Add(biff::kContinue, tail).Add(biff::kNumber, NumberRecord(1, 0, 2));
  ReadResult read = ReadStream(Workbook(cells.get()));
  ASSERT_EQ(read.error, WorkbookError::None);
  std::string expected;
  for (int i = 0; i < 5000; ++i) expected += "测";
  EXPECT_EQ(read.sheet.columns[0], (std::vector<std::string>{expected, "2"}));
}

TEST(XlsReader, SkipsChartSheetsAndEmbeddedCharts) {
  BiffStream stream;
  stream.Add(biff::kBof, BofPayload(biff::kBiff8, biff::kGlobalsSubstream))
      .BoundSheet(2, 0)  // a chart sheet comes first
      .BoundSheet(0, 1)
      .Add(biff::kEof, {})
      .SheetStart(0)
      .Add(biff::kBof, BofPayload(biff::kBiff8, 0x0020))
      .Add(biff::kNumber, NumberRecord(0, 0, 99))
      .Add(biff::kEof, {})
      .SheetStart(1)
      .Add(biff::kBof, BofPayload(biff::kBiff8, biff::kWorksheetSubstream))
      .Add(biff::kNumber, NumberRecord(0, 0, 1))
      .Add(biff::kBof, BofPayload(biff::kBiff8, 0x0020))  // embedded chart
      .Add(biff::kNumber, NumberRecord(5, 0, 98))
      .Add(biff::kEof, {})
      .Add(biff::kNumber, NumberRecord(1, 0, 2))
      .Add(biff::kEof, {});
  ReadResult read = ReadStream(stream.Stream());
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns[0], (std::vector<std::string>{"1", "2"}));
}

TEST(XlsReader, Excel95BookStreamUsesItsCodePage) {
  BiffStream stream;
  stream.Add(biff::kBof, BofPayload(biff::kBiff5, biff::kGlobalsSubstream))
      .Add(biff::kCodePage, Bytes().U16(936))
      .BoundSheet(0, 0)
      .Add(biff::kEof, {})
      .SheetStart(0)
      .Add(biff::kBof, BofPayload(biff::kBiff5, biff::kWorksheetSubstream))
      // "血压" in GBK: D1 AA D1 B9.
      .Add(biff::kLabel, Concat(Cell(0, 0), Bytes().U16(4).Raw("\xD1\xAA\xD1\xB9")))
      .Add(biff::kFormula, FormulaRecord(1, 0, SpecialResult(0, 0)))
      .Add(biff::kString, Bytes().U16(3).Raw("abc"))
      .Add(biff::kEof, {});
  ReadResult read = ReadStream(stream.Stream(), 1, 1000, "Book");
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns[0], (std::vector<std::string>{"血压", "abc"}));
}

TEST(XlsReader, LastUsedRowCountsColumnsThatAreNotKept) {
  Records cells;
  cells.Add(biff::kNumber, NumberRecord(0, 0, 1)).Add(biff::kNumber, NumberRecord(19, 4, 5));
  ReadResult read = ReadStream(Workbook(cells.get()));
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.lastUsedRow, 20) << "column E holds row 20";
  EXPECT_EQ(read.sheet.columns[0].size(), 20u);
  EXPECT_EQ(read.sheet.columns[1], std::vector<std::string>(20));
}

TEST(XlsReader, RowsBeyondTheLimitGiveTooManyRows) {
  Records cells;
  cells.Add(biff::kNumber, NumberRecord(999, 6, 1));  // row 1000, column G
  EXPECT_EQ(ReadStream(Workbook(cells.get()), 2, 999).error, WorkbookError::TooManyRows);
  EXPECT_EQ(ReadStream(Workbook(cells.get()), 2, 1000).error, WorkbookError::None);
}

struct StreamCase {
  const char* name;
  std::vector<std::uint8_t> stream;
  WorkbookError error;
  const char* source;
};

TEST(XlsReader, DamagedOrProtectedStreamsGiveTheirError) {
  std::vector<std::uint8_t> good = Workbook(Records().Add(biff::kNumber, NumberRecord(0, 0, 1)).get());
  std::vector<std::uint8_t> encrypted = BiffStream()
      .Add(biff::kBof, BofPayload(biff::kBiff8, biff::kGlobalsSubstream))
      .Add(biff::kFilePass, Bytes().U16(1).U16(1).U16(1))
      .BoundSheet(0, 0)
      .Add(biff::kEof, {})
      .Stream();
  std::vector<std::uint8_t> cutRecord(good.begin(), good.end() - 10);
  std::vector<std::uint8_t> noSheetEof(good.begin(), good.end() - 4);
  std::vector<std::uint8_t> badOffset = good;
  std::size_t boundSheet = 4 + 16 + 4 + 2 + 4;  // after BOF and CODEPAGE
  badOffset[boundSheet] = 0xFF;
  badOffset[boundSheet + 1] = 0xFF;
  std::vector<std::uint8_t> shortSst = Concat(Bytes().U32(1).U32(1), Bytes().U16(10).U8(0).Raw("abc"));
  std::vector<std::uint8_t> biff4 = testing::BiffRecord(0x0409, Bytes().U16(0).U16(0x10).U16(0));
  std::vector<StreamCase> cases{
      {"filepass", encrypted, WorkbookError::Encrypted, "FILEPASS: the workbook is encrypted"},
      {"cut record", cutRecord, WorkbookError::Corrupt, "last record reaches past the stream"},
      {"no sheet eof", noSheetEof, WorkbookError::Corrupt, "the sheet never ends"},
      {"offset past end", badOffset, WorkbookError::Corrupt, "BOUNDSHEET points past the stream"},
      {"sst string cut", Workbook({}, {shortSst}), WorkbookError::Corrupt, "10 characters announced, 3 stored"},
      {"index past sst", Workbook(Concat(testing::BiffRecord(biff::kLabelSst, Concat(Cell(0, 0), Bytes().U32(7))), {}),
                                  {Concat(Bytes().U32(1).U32(1), UnicodeString(u"a"))}),
       WorkbookError::Corrupt, "LABELSST names string 7 of 1"},
      {"short number", Workbook(testing::BiffRecord(biff::kNumber, Cell(0, 0))), WorkbookError::Corrupt,
       "NUMBER without its value"},
      {"excel 4", biff4, WorkbookError::NotAWorkbook, "BIFF4 is not read"},
      {"empty stream", {}, WorkbookError::Corrupt, "no BOF"},
  };
  ForEachCase(cases, [](const StreamCase& c) { EXPECT_EQ(ReadStream(c.stream).error, c.error); });
}

TEST(XlsReader, CompoundFilesWithoutAWorkbookStream) {
  std::vector<std::byte> protectedXlsx = CompoundFile({{"EncryptionInfo", {4, 0, 4, 0}}, {"EncryptedPackage", {1, 2, 3}}});
  EXPECT_EQ(ReadFirstWorksheetFromMemory(protectedXlsx, 2, 1000).error, WorkbookError::Encrypted);
  std::vector<std::byte> document = CompoundFile({{"WordDocument", {1, 2, 3}}});
  EXPECT_EQ(ReadFirstWorksheetFromMemory(document, 2, 1000).error, WorkbookError::NotAWorkbook);
}

TEST(XlsReader, FileOnDiskIsReadLikeMemory) {
  testing::TempDir dir;
  std::string path = dir.File("named.xlsx");  // the content decides, not the name
  testing::WriteBytes(path, CompoundFile({{"Workbook", Workbook(Records().Add(biff::kNumber, NumberRecord(0, 1, 4)).get())}}));
  ReadResult read = ReadFirstWorksheet(path, 2, 1000);
  ASSERT_EQ(read.error, WorkbookError::None);
  EXPECT_EQ(read.sheet.columns, (std::vector<std::vector<std::string>>{{""}, {"4"}}));
  EXPECT_EQ(ReadFirstWorksheet(dir.File("missing.xls"), 2, 1000).error, WorkbookError::CannotOpen);
  EXPECT_EQ(ReadFirstWorksheet(dir.path().string(), 2, 1000).error, WorkbookError::NotARegularFile);
  testing::WriteBytes(dir.File("text.xls"), {std::byte{'a'}, std::byte{','}, std::byte{'b'}});
  EXPECT_EQ(ReadFirstWorksheet(dir.File("text.xls"), 2, 1000).error, WorkbookError::NotAWorkbook);
}

// One 8,000-character string shared by many LABELSST cells: every cell
// keeps its own copy, so the total is what gives out.
TEST(XlsReader, TextBeyondTheLimitsIsRefused) {
  std::vector<std::uint8_t> sst = Concat(Bytes().U32(200).U32(1), UnicodeString(std::u16string(8000, u'x')));
  Records cells;
  for (std::uint16_t row = 0; row < 200; ++row) {
    cells.Add(biff::kLabelSst, Concat(Cell(row, 0), Bytes().U32(0)));
  }
  std::vector<std::uint8_t> manyStrings = Bytes().U32(101).U32(101);
  for (int i = 0; i < 101; ++i) manyStrings = Concat(manyStrings, UnicodeString(u""));
  struct XlsLimitCase {
    const char* name;
    std::vector<std::uint8_t> stream;
    ReadLimits limits;
    WorkbookError error;
    const char* source;
  };
  std::vector<XlsLimitCase> cases{
      {"copies past the total", Workbook(cells.get(), {sst}), {.maxHeldBytes = 1 << 20}, WorkbookError::TooMuchText,
       "200 copies of 8,000 bytes"},
      {"copies within the total", Workbook(cells.get(), {sst}), {}, WorkbookError::None, "1.6 MB is allowed"},
      {"too many shared strings", Workbook({}, {manyStrings}), {.maxSharedStrings = 100}, WorkbookError::TooMuchText,
       "101 empty strings, 100 allowed"},
      {"stream past the total", Workbook({}, {sst}), {.maxHeldBytes = 4096}, WorkbookError::TooMuchText,
       "the workbook stream is held whole"},
  };
  ForEachCase(cases, [](const XlsLimitCase& c) {
    std::vector<std::byte> file = CompoundFile({{"Workbook", c.stream}});
    EXPECT_EQ(ReadFirstWorksheetFromMemory(file, 2, 1000, c.limits).error, c.error);
  });
}

// A named pipe would keep an ordinary open waiting for a writer forever;
// the alarm ends the test instead of hanging it should that come back.
TEST(XlsReader, OnlyRegularFilesAreOpened) {
  testing::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("pipe.xlsx").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("pipe.xlsx", dir.File("link to pipe.xls").c_str()), 0);
  int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = dir.File("socket.xls");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  for (const std::string& path : {dir.File("pipe.xlsx"), dir.File("link to pipe.xls"), socketPath,
                                  std::string("/dev/null"), dir.path().string()}) {
    SCOPED_TRACE(path);
    ::alarm(20);
    EXPECT_EQ(ReadFirstWorksheet(path, 2, 1000).error, WorkbookError::NotARegularFile);
    ::alarm(0);
  }
  ::close(listener);
}

TEST(WorkbookErrors, EachHasItsOwnDescription) {
  std::set<std::string_view> seen;
  for (WorkbookError error : {WorkbookError::CannotOpen, WorkbookError::NotAWorkbook, WorkbookError::Encrypted,
                              WorkbookError::Corrupt, WorkbookError::TooManyRows, WorkbookError::TooManyRowsForXls, WorkbookError::TooManyRowsForXlsx,
                              WorkbookError::CannotWrite, WorkbookError::TooMuchText, WorkbookError::OutOfMemory,
                              WorkbookError::NotARegularFile, WorkbookError::ReadOnlyFile}) {
    std::string_view text = DescribeWorkbookError(error);
    EXPECT_FALSE(text.empty()) << static_cast<int>(error);
    EXPECT_TRUE(seen.insert(text).second) << text;
  }
}

}  // namespace
}  // namespace kelvasta
