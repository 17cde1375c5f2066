// Truncated and garbled workbooks: every read ends with a result, never a
// crash or a hang (the sanitizer build checks the memory accesses), and a
// cut file is never taken for a whole one.

#include <gtest/gtest.h>

#include <random>

#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"

namespace kelvasta {
namespace {

using Columns = std::vector<std::vector<std::string>>;

const Columns kSample{{"5", "7", "9", "血压", "12.5"}, {"6", "张三", "", "8", "-1"}};

std::vector<std::byte> SampleXls() {
  std::vector<std::byte> bytes;
  EXPECT_EQ(BuildWorkbookXls(kSample, bytes), WorkbookError::None);
  return bytes;
}

std::vector<std::byte> SampleXlsx() {
  return testing::BuildZip(testing::MinimalXlsx(
      "<row r=\"1\"><c r=\"A1\"><v>5</v></c><c r=\"B1\" t=\"s\"><v>0</v></c></row>"
      "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>内联</t></is></c><c r=\"B2\"><v>1.5</v></c></row>",
      "<si><t>共享</t></si>"));
}

void ExpectEveryPrefixFails(const std::vector<std::byte>& whole) {
  ASSERT_EQ(ReadFirstWorksheetFromMemory(whole, 2, 1000).error, WorkbookError::None);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    std::vector<std::byte> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    ReadResult read = ReadFirstWorksheetFromMemory(prefix, 2, 1000);
    ASSERT_NE(read.error, WorkbookError::None) << "cut to " << length << " of " << whole.size() << " bytes";
    EXPECT_EQ(read.sheet.lastUsedRow, 0);
    EXPECT_TRUE(read.sheet.columns.empty());
  }
}

TEST(DamagedWorkbook, EveryTruncatedXlsGivesAnError) { ExpectEveryPrefixFails(SampleXls()); }

TEST(DamagedWorkbook, EveryTruncatedXlsxGivesAnError) { ExpectEveryPrefixFails(SampleXlsx()); }

// Random bytes overwritten: the reader may still succeed (the change may hit
// padding) but must come back with a result whose columns have the promised
// shape.
void GarbleRepeatedly(const std::vector<std::byte>& whole, unsigned seed) {
  std::mt19937 random(seed);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::byte> bytes = whole;
    int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      bytes[random() % bytes.size()] = static_cast<std::byte>(random());
    }
    ReadResult read = ReadFirstWorksheetFromMemory(bytes, 2, 1000);
    if (read.error == WorkbookError::None) {
      ASSERT_EQ(read.sheet.columns.size(), 2u);
      for (const auto& column : read.sheet.columns) {
        ASSERT_EQ(static_cast<std::int64_t>(column.size()), read.sheet.lastUsedRow);
      }
    }
  }
}

TEST(DamagedWorkbook, GarbledXlsNeverCrashes) { GarbleRepeatedly(SampleXls(), 1); }

TEST(DamagedWorkbook, GarbledXlsxNeverCrashes) { GarbleRepeatedly(SampleXlsx(), 2); }

// The workbook stream itself garbled inside an intact compound file, where
// the BIFF reader, not the container, meets the damage.
TEST(DamagedWorkbook, GarbledWorkbookStreamNeverCrashes) {
  std::vector<std::uint8_t> stream = testing::StreamOf(SampleXls(), "Workbook");
  std::mt19937 random(3);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> bytes = stream;
    int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      // Mostly in the records before the padding.
      bytes[random() % std::min<std::size_t>(bytes.size(), 700)] = static_cast<std::uint8_t>(random());
    }
    ReadResult read = ReadFirstWorksheetFromMemory(testing::CompoundFile({{"Workbook", bytes}}), 2, 1000);
    if (read.error == WorkbookError::None) {
      ASSERT_EQ(read.sheet.columns.size(), 2u);
    }
  }
}

}  // namespace
}  // namespace kelvasta
