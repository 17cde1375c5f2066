// The zip writer, read back with libzip: whole and streamed entries, with
// and without Zip64 sizes, and a file that cannot be written.

#include "interchange/zip_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/interchange/workbook_fixtures.h"

namespace kelvasta {
namespace {

using testing::ReadZip;
using testing::TempDir;
using testing::ZipEntries;

// Text that compresses unevenly, so that pieces and compressed blocks differ.
std::string Varied(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += std::to_string(i * i % 9973) + (i % 7 ? "," : "\n");
  return text;
}

TEST(ZipWriter, WholeAndStreamedEntriesReadBackAsWritten) {
  const std::string streamed = Varied(5 << 20);
  for (const bool large : {false, true}) {
    SCOPED_TRACE(large ? "Zip64 sizes" : "plain sizes");
    TempDir dir;
    const std::string path = dir.File("out.zip");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    {
      ZipWriter zip(fd);
      ASSERT_TRUE(zip.Add("first.xml", "<a/>"));
      ASSERT_TRUE(zip.Add("empty", ""));
      ASSERT_TRUE(zip.Begin("dir/streamed.txt", large));
      for (std::size_t at = 0; at < streamed.size(); at += 100000) {
        std::string piece = streamed.substr(at, 100000);
        ASSERT_TRUE(zip.Write(piece));
        EXPECT_TRUE(piece.empty());
      }
      ASSERT_TRUE(zip.End());
      ASSERT_TRUE(zip.Add("last.xml", "<z/>"));
      ASSERT_TRUE(zip.Finish());
    }
    ASSERT_EQ(::close(fd), 0);
    const ZipEntries expected{
        {"first.xml", "<a/>"}, {"empty", ""}, {"dir/streamed.txt", streamed}, {"last.xml", "<z/>"}};
    EXPECT_EQ(ReadZip(path), expected);
  }
}

TEST(ZipWriter, AFullDiskFailsEveryCall) {
  const int fd = ::open("/dev/full", O_WRONLY);
  if (fd < 0) GTEST_SKIP() << "no /dev/full";
  ZipWriter zip(fd);
  std::string piece = Varied(3 << 20);
  EXPECT_FALSE(zip.Begin("a", false) && zip.Write(piece) && zip.End());
  EXPECT_FALSE(zip.Add("b", "text"));
  EXPECT_FALSE(zip.Finish());
  ::close(fd);
}

}  // namespace
}  // namespace kelvasta
