// The work file: its JSON written and read back, hostile and damaged files
// refused with the problem named, and writes that a kill cannot break.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "interchange/work_file.h"
#include "tests/interchange/workbook_fixtures.h"

namespace kelvasta {
namespace {

using testing::ReadBytes;
using testing::TempDir;

WorkFile Sample() {
  WorkFile work;
  work.test = 2;
  work.lists[0] = work.lists[1] = std::vector<std::string>(15);
  work.lists[2] = {"5", "7.25", "", "张三"};
  work.lists[3] = {"\"quoted\"", "back\\slash", "tab\there", "\x01"};
  work.lists[4] = {"😀", "line\nbreak", "", ""};
  work.bars = {WorkBar{0, 5}, WorkBar{3, 7}};
  work.cells = {{"Text30(0)", "5"}, {"Text41(2)", "3"}};
  work.captions = {{"Label5(26)", "F = 3.2000  P > 0.05"}, {"Label10", ""}};
  work.rxcWarning = true;
  work.sortedMeans = {"000000005.0000"};
  work.text41FromLists[2] = "3";
  work.focus = "Text30(1)";
  work.planning = WorkPlanning{3, true, 1, {{"alpha", "0.05"}, {"p1", "0.3"}}, {"p1"}, "取自预试验数据"};
  work.recoveryOf = "/home/医生/数据.kelvasta";
  work.names[0] = {{"group1", "治疗组"}, {"unit", "mmHg"}};
  work.names[7] = {{"grade1", "<b>&amp;\"x\"</b>"}};
  return work;
}

TEST(WorkFileJson, EveryMemberComesBackUnchanged) {
  const WorkReadResult read = ParseWorkFile(SerializeWorkFile(Sample()));
  ASSERT_EQ(read.error, WorkError::None) << read.detail;
  EXPECT_EQ(read.work, Sample());
}

TEST(WorkFileJson, PlanningMemberAloneComesBackUnchanged) {
  const WorkPlanning planning{7, false, 2, {{"sd", "1.5"}, {"空", ""}}, {}, {}};
  EXPECT_EQ(ParseWorkPlanning(WorkPlanningJson(planning)), planning);
  std::string error;
  EXPECT_EQ(ParseWorkPlanning(R"({"design": 8})", &error), std::nullopt);
  EXPECT_NE(error.find("0 到 7"), std::string::npos) << error;
  EXPECT_EQ(ParseWorkPlanning(R"({"mode": "guess"})"), std::nullopt);
  EXPECT_EQ(ParseWorkPlanning(R"({"sides": 2} x)"), std::nullopt);
}

const std::string kHead = R"({"format": "kelvasta-work", "version": 1, "test": 0, )";
const std::string kLists =
    R"("lists": {"List1": [], "List2": [], "List3": [], "List4": [], "List5": []})";

struct HostileCase {
  const char* name;
  std::string text;
  WorkError error;
  const char* detail;  // a part of the problem named, or ""
};

class HostileWorkFile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileWorkFile, IsRefusedWithTheProblemNamed) {
  WorkLimits limits;
  limits.maxListItems = 1000;
  limits.maxTextBytes = 64;
  const WorkReadResult read = ParseWorkFile(GetParam().text, limits);
  EXPECT_EQ(read.error, GetParam().error) << read.detail;
  EXPECT_NE(read.detail.find(GetParam().detail), std::string::npos) << read.detail;
  EXPECT_EQ(read.work, WorkFile{});
}

std::string ManyItems(int count) {
  std::string items = "\"\"";
  for (int i = 1; i < count; ++i) items += ",\"\"";
  return items;
}

std::string Nested(int depth) { return kHead + kLists + R"(, "x": )" + std::string(depth, '[') + std::string(depth, ']') + "}"; }

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileWorkFile,
    ::testing::Values(
        HostileCase{"Empty", "", WorkError::NotWorkFile, ""},
        HostileCase{"NotJson", "PK\x03\x04 zip", WorkError::NotWorkFile, ""},
        HostileCase{"OtherJson", R"({"name": "x"})", WorkError::NotWorkFile, ""},
        HostileCase{"OtherFormat", R"({"format": "other", "version": 1})", WorkError::NotWorkFile, ""},
        HostileCase{"Truncated", kHead + R"("lists": {"List1": ["1", "2)", WorkError::Damaged, "引号"},
        HostileCase{"TruncatedAfterComma", kHead + R"("lists": {"List1": ["1",)", WorkError::Damaged, "结束"},
        HostileCase{"NewerVersion", R"({"format": "kelvasta-work", "version": 2, "test": "later"})",
                    WorkError::NewerVersion, ""},
        HostileCase{"NoVersion", R"({"format": "kelvasta-work", "test": 0, )" + kLists + "}", WorkError::Damaged,
                    "version"},
        HostileCase{"NoLists", kHead.substr(0, kHead.size() - 2) + "}", WorkError::Damaged, "lists"},
        HostileCase{"TestOutOfRange", R"({"format": "kelvasta-work", "version": 1, "test": 8, )" + kLists + "}",
                    WorkError::Damaged, "0 到 7"},
        HostileCase{"TestNotWhole", R"({"format": "kelvasta-work", "version": 1, "test": 1.5, )" + kLists + "}",
                    WorkError::Damaged, "整数"},
        HostileCase{"TestAsText", R"({"format": "kelvasta-work", "version": 1, "test": "0", )" + kLists + "}",
                    WorkError::Damaged, "数字"},
        HostileCase{"ItemAsNumber", kHead + R"("lists": {"List1": [1]})", WorkError::Damaged, "文字"},
        HostileCase{"ListAsObject", kHead + R"("lists": {"List1": {}})", WorkError::Damaged, "["},
        HostileCase{"UnknownList", kHead + R"("lists": {"List9": []})", WorkError::Damaged, "List9"},
        HostileCase{"MissingList", kHead + R"("lists": {"List1": [], "List2": []})", WorkError::Damaged, "List3"},
        HostileCase{"UnequalLists",
                    kHead + R"("lists": {"List1": ["1"], "List2": [], "List3": [], "List4": [], "List5": []}})",
                    WorkError::Damaged, "项目数"},
        HostileCase{"TooManyItems", kHead + R"("lists": {"List1": [)" + ManyItems(1001) + "]}}", WorkError::Damaged,
                    "项目过多"},
        HostileCase{"TooLongText", kHead + R"("lists": {"List1": [")" + std::string(65, 'x') + R"("]}})",
                    WorkError::Damaged, "过长"},
        HostileCase{"DeepNesting", Nested(100000), WorkError::Damaged, "嵌套"},
        HostileCase{"DuplicateCell", kHead + kLists + R"(, "cells": {"a": "1", "a": "2"}})",
                    WorkError::Damaged, "重复"},
        HostileCase{"CellAsNumber", kHead + kLists + R"(, "cells": {"a": 1}})", WorkError::Damaged, "文字"},
        HostileCase{"BarPastMaximum", kHead + kLists + R"(, "view": {"VS1": {"value": 9, "max": 5}}})",
                    WorkError::Damaged, "滚动"},
        HostileCase{"NegativeBar", kHead + kLists + R"(, "view": {"VS1": {"value": -1}}})", WorkError::Damaged,
                    "整数"},
        HostileCase{"InvalidUtf8", kHead + R"("lists": {"List1": [")" + std::string("\xC3\x28") + R"("]}})",
                    WorkError::Damaged, "UTF-8"},
        HostileCase{"LoneSurrogate", kHead + R"("lists": {"List1": ["\ud800"]}})", WorkError::Damaged, "代理"},
        HostileCase{"RawControlCharacter", kHead + R"("lists": {"List1": [")" + std::string("\x01") + R"("]}})",
                    WorkError::Damaged, "控制"},
        HostileCase{"TrailingGarbage", kHead + kLists + "} {}", WorkError::Damaged, "多余"},
        HostileCase{"MissingComma", kHead + kLists + R"( "cells": {}})", WorkError::Damaged, "逗号"},
        HostileCase{"NamesOfAnUnknownTest", kHead + kLists + R"(, "names": {"8": {}}})", WorkError::Damaged, "8"},
        HostileCase{"NamesTwiceForATest", kHead + kLists + R"(, "names": {"1": {}, "1": {}}})", WorkError::Damaged,
                    "重复"},
        HostileCase{"NameAsNumber", kHead + kLists + R"(, "names": {"0": {"group1": 1}}})", WorkError::Damaged, "文字"},
        HostileCase{"NameTooLong", kHead + kLists + R"(, "names": {"0": {"group1": ")" + std::string(1025, 'x') + R"("}}})",
                    WorkError::Damaged, "过长"},
        HostileCase{"HugeNumber", R"({"format": "kelvasta-work", "version": 1e999})", WorkError::Damaged, "范围"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(WorkFileJson, WorkWithoutNamesIsWrittenWithoutTheMember) {
  WorkFile work = Sample();
  work.names = {};
  EXPECT_EQ(SerializeWorkFile(work).find("\"names\""), std::string::npos);
  EXPECT_NE(SerializeWorkFile(Sample()).find("\"names\": {\n  \"0\": {"), std::string::npos);
}

TEST(WorkFileJson, UnknownMembersAreSkipped) {
  const WorkReadResult read = ParseWorkFile(kHead + kLists + R"(, "later": {"a": [1, {"b": null}]}})");
  EXPECT_EQ(read.error, WorkError::None) << read.detail;
}

TEST(WorkFileRead, FilesThatAreNoWorkFilesAreRefusedBeforeReading) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.kelvasta");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadWorkFile(fifo).error, WorkError::NotARegularFile) << "a named pipe never blocks the read";
  EXPECT_EQ(ReadWorkFile(dir.File("")).error, WorkError::NotARegularFile);
  EXPECT_EQ(ReadWorkFile(dir.File("missing.kelvasta")).error, WorkError::CannotOpen);
  // A gigabyte that takes no disk: refused by its size, never read.
  const std::string huge = dir.File("huge.kelvasta");
  std::ofstream(huge) << "{";
  ASSERT_EQ(::truncate(huge.c_str(), off_t{1} << 30), 0);
  EXPECT_EQ(ReadWorkFile(huge).error, WorkError::TooLarge);
}

TEST(WorkFileWrite, ReadOnlyTargetIsRefusedAndKept) {
  TempDir dir;
  const std::string path = dir.File("work.kelvasta");
  ASSERT_EQ(WriteWorkFile(path, Sample()), WorkError::None);
  const std::vector<std::byte> before = ReadBytes(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(WriteWorkFile(path, WorkFile{}), WorkError::ReadOnlyFile);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(WriteWorkFile(dir.File("no/such/folder.kelvasta"), WorkFile{}), WorkError::CannotWrite);
}

// A child writes two large states in turn as fast as it can and is killed
// at a random moment: the file is then one of them, whole.
TEST(WorkFileWrite, KillDuringAWriteLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string path = dir.File("recovery.kelvasta");
  WorkFile states[2];
  for (int k = 0; k < 2; ++k) {
    states[k].lists[0] = states[k].lists[1] = std::vector<std::string>(200000, k == 0 ? "1.25" : "987654.5");
    states[k].test = k;
  }
  ASSERT_EQ(WriteWorkFile(path, states[0]), WorkError::None);
  std::mt19937 random(20240607);
  for (int round = 0; round < 12; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int k = 1;; k ^= 1) WriteWorkFile(path, states[k]);
    }
    ::usleep(useconds_t(20000 + random() % 200000));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const WorkReadResult read = ReadWorkFile(path);
    ASSERT_EQ(read.error, WorkError::None) << "round " << round << ": " << read.detail;
    EXPECT_TRUE(read.work == states[0] || read.work == states[1]) << "round " << round;
  }
}

}  // namespace
}  // namespace kelvasta
