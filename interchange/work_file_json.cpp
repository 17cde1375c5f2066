// The work file's JSON read with a pull reader into the work's own
// containers, each bounded by WorkLimits.
#include "interchange/json_reader.h"
#include "interchange/work_file.h"

#include <climits>
#include <new>
#include <span>
#include <stdexcept>

namespace kelvasta {

namespace {

constexpr std::array<std::string_view, 5> kListNames{"List1", "List2", "List3", "List4", "List5"};
constexpr std::array<std::string_view, 2> kBarNames{"VS1", "VSl1"};

// Reads the members of the work into `work`; every Read* returns false on
// the first problem, which the reader then holds.
class WorkParser {
 public:
  WorkParser(std::string_view text, const WorkLimits& limits, WorkReadResult& result)
      : json_(text, 16), limits_(limits), result_(result) {}

  void run();
  // The planning member as the whole text.
  bool runPlanning() { return readPlanning() && (json_.atEnd() || json_.fail("文件末尾有多余的内容")); }
  const std::string& error() const { return json_.error(); }

 private:
  bool member(const std::string& key);
  bool readTexts(std::vector<std::string>& items, std::size_t maxItems);
  template <std::size_t N>
  bool readFixedTexts(std::array<std::string, N>& items);
  bool readNames(std::map<std::string, std::string>& names, std::size_t maxNames, std::size_t maxBytes);
  bool readNames(std::map<std::string, std::string>& names) {
    return readNames(names, limits_.maxNames, limits_.maxTextBytes);
  }
  bool readTestNames();
  bool readLists();
  bool readBar(WorkBar& bar);
  bool readView();
  bool readSummaries();
  bool readPlanning();
  bool readPilot(WorkPlanning& planning);
  bool readInt(int& out, int min, int max) {
    std::int64_t value = 0;
    if (!json_.readInteger(value, min, max)) return false;
    out = int(value);
    return true;
  }

  JsonReader json_;
  const WorkLimits& limits_;
  WorkReadResult& result_;
  WorkFile& work_ = result_.work;
  bool sawFormat_ = false, sawVersion_ = false, sawTest_ = false, sawLists_ = false;
  bool stop_ = false;  // a newer version: the rest is not ours to read
};

bool WorkParser::readTexts(std::vector<std::string>& items, std::size_t maxItems) {
  if (!json_.beginArray()) return false;
  std::string text;
  while (json_.nextElement()) {
    if (items.size() >= maxItems) return json_.fail("项目过多（超过 " + std::to_string(maxItems) + " 项）");
    if (!json_.readString(text, limits_.maxTextBytes)) return false;
    items.push_back(std::move(text));
  }
  return !json_.failed();
}

template <std::size_t N>
bool WorkParser::readFixedTexts(std::array<std::string, N>& items) {
  std::vector<std::string> texts;
  if (!readTexts(texts, N)) return false;
  if (texts.size() != N) return json_.fail("应有 " + std::to_string(N) + " 项");
  for (std::size_t i = 0; i < N; ++i) items[i] = std::move(texts[i]);
  return true;
}

bool WorkParser::readNames(std::map<std::string, std::string>& names, std::size_t maxNames, std::size_t maxBytes) {
  if (!json_.beginObject()) return false;
  std::string name, text;
  while (json_.nextMember(name)) {
    if (names.size() >= maxNames) return json_.fail("名称过多");
    if (!json_.readString(text, maxBytes)) return false;
    if (!names.emplace(std::move(name), std::move(text)).second) return json_.fail("名称重复");
  }
  return !json_.failed();
}

// {"0": {"group1": "治疗组"}, ...}: each test at most once, by its index.
bool WorkParser::readTestNames() {
  if (!json_.beginObject()) return false;
  std::array<bool, 8> seen{};
  std::string key;
  while (json_.nextMember(key)) {
    const bool digit = key.size() == 1 && key[0] >= '0' && key[0] <= '7';
    if (!digit) return json_.fail("“names”中未知的检验“" + key + "”");
    const std::size_t test = std::size_t(key[0] - '0');
    if (seen[test]) return json_.fail("“names”中检验“" + key + "”重复");
    seen[test] = true;
    if (!readNames(work_.names[test], limits_.maxTestNames, limits_.maxNameBytes)) return false;
  }
  return !json_.failed();
}

bool WorkParser::readLists() {
  if (!json_.beginObject()) return false;
  std::array<bool, 5> seen{};
  std::string key;
  while (json_.nextMember(key)) {
    std::size_t k = 0;
    while (k < kListNames.size() && kListNames[k] != key) ++k;
    if (k == kListNames.size()) return json_.fail("未知的列表“" + key + "”");
    if (seen[k]) return json_.fail("列表“" + key + "”重复");
    seen[k] = true;
    if (!readTexts(work_.lists[k], limits_.maxListItems)) return false;
  }
  if (json_.failed()) return false;
  for (std::size_t k = 0; k < seen.size(); ++k)
    if (!seen[k]) return json_.fail("缺少列表“" + std::string(kListNames[k]) + "”");
  const auto& l = work_.lists;
  if (l[0].size() != l[1].size() || l[2].size() != l[3].size() || l[2].size() != l[4].size())
    return json_.fail("同一面板的各列表项目数不同");
  return true;
}

bool WorkParser::readBar(WorkBar& bar) {
  if (!json_.beginObject()) return false;
  std::string key;
  while (json_.nextMember(key)) {
    if (key == "value") {
      if (!readInt(bar.value, 0, INT_MAX)) return false;
    } else if (key == "max") {
      if (!readInt(bar.maximum, 0, int(limits_.maxListItems))) return false;
    } else if (!json_.skipValue()) {
      return false;
    }
  }
  if (json_.failed()) return false;
  return bar.value <= bar.maximum || json_.fail("滚动位置超过最大值");
}

bool WorkParser::readSummaries() {
  if (!json_.beginObject()) return false;
  std::string key;
  while (json_.nextMember(key)) {
    const bool ok = key == "Text4"    ? readFixedTexts(work_.text4FromLists)
                    : key == "Text41" ? readFixedTexts(work_.text41FromLists)
                                      : json_.skipValue();
    if (!ok) return false;
  }
  return !json_.failed();
}

bool WorkParser::readView() {
  if (!json_.beginObject()) return false;
  std::string key;
  while (json_.nextMember(key)) {
    bool ok = true;
    if (key == kBarNames[0] || key == kBarNames[1]) {
      ok = readBar(work_.bars[key == kBarNames[0] ? 0 : 1]);
    } else if (key == "focus") {
      ok = json_.readString(work_.focus, 256);
    } else if (key == "captions") {
      ok = readNames(work_.captions);
    } else if (key == "rxc_warning") {
      ok = json_.readBool(work_.rxcWarning);
    } else if (key == "List8") {
      ok = readTexts(work_.sortedMeans, 3);
    } else if (key == "summaries_from_lists") {
      ok = readSummaries();
    } else {
      ok = json_.skipValue();
    }
    if (!ok) return false;
  }
  return !json_.failed();
}

bool WorkParser::readPilot(WorkPlanning& planning) {
  if (!json_.beginObject()) return false;
  std::string key;
  while (json_.nextMember(key)) {
    bool ok = true;
    if (key == "keys") {
      ok = readTexts(planning.pilotKeys, 64);
    } else if (key == "source") {
      ok = json_.readString(planning.pilotSource, 4096);
    } else {
      ok = json_.skipValue();
    }
    if (!ok) return false;
  }
  return !json_.failed();
}

bool WorkParser::readPlanning() {
  if (!json_.beginObject()) return false;
  WorkPlanning planning;
  std::string key, mode = "sample_size";
  while (json_.nextMember(key)) {
    bool ok = true;
    if (key == "design") {
      ok = readInt(planning.design, 0, 7);
    } else if (key == "mode") {
      ok = json_.readString(mode, 32) &&
           (mode == "sample_size" || mode == "power" || json_.fail("“mode”应为 sample_size 或 power"));
    } else if (key == "sides") {
      ok = readInt(planning.sides, 1, 2);
    } else if (key == "inputs") {
      ok = readNames(planning.inputs);
    } else if (key == "pilot") {
      ok = readPilot(planning);
    } else {
      ok = json_.skipValue();
    }
    if (!ok) return false;
  }
  if (json_.failed()) return false;
  planning.findPower = mode == "power";
  work_.planning = std::move(planning);
  return true;
}

bool WorkParser::member(const std::string& key) {
  if (key == "format") {
    std::string format;
    if (!json_.readString(format, 64)) return false;
    sawFormat_ = format == kWorkFormat;
    if (!sawFormat_) stop_ = true;
    return true;
  }
  if (key == "version") {
    if (!readInt(result_.version, 1, INT_MAX)) return false;
    sawVersion_ = true;
    if (result_.version > kWorkVersion) stop_ = true;
    return true;
  }
  if (key == "test") return sawTest_ = readInt(work_.test, 0, 7);
  if (key == "lists") return sawLists_ = readLists();
  if (key == "cells") return readNames(work_.cells);
  if (key == "view") return readView();
  if (key == "planning") return readPlanning();
  if (key == "names") return readTestNames();
  if (key == "recovery_of") return json_.readString(work_.recoveryOf, 4096);
  return json_.skipValue();
}

void WorkParser::run() {
  if (json_.peek() != JsonReader::Kind::Object || !json_.beginObject()) {
    result_.error = WorkError::NotWorkFile;
    return;
  }
  std::string key;
  while (!stop_ && json_.nextMember(key))
    if (!member(key)) break;
  if (stop_ && !sawFormat_) {
    result_.error = WorkError::NotWorkFile;
  } else if (stop_) {
    result_.error = WorkError::NewerVersion;
  } else if (!json_.failed() && !json_.atEnd()) {
    json_.fail("文件末尾有多余的内容");
  }
  if (result_.error != WorkError::None) return;
  if (json_.failed()) {
    result_.error = WorkError::Damaged;
    result_.detail = json_.error();
  } else if (!sawFormat_) {
    result_.error = WorkError::NotWorkFile;
  } else if (!sawVersion_ || !sawTest_ || !sawLists_) {
    result_.error = WorkError::Damaged;
    result_.detail = !sawVersion_ ? "缺少“version”" : !sawTest_ ? "缺少“test”" : "缺少“lists”";
  }
}

}  // namespace

std::optional<WorkPlanning> ParseWorkPlanning(std::string_view text, std::string* error, const WorkLimits& limits) {
  WorkReadResult result;
  WorkParser parser(text, limits, result);
  if (parser.runPlanning()) return result.work.planning;
  if (error != nullptr) *error = parser.error();
  return std::nullopt;
}

WorkReadResult ParseWorkFile(std::string_view text, const WorkLimits& limits) {
  WorkReadResult result;
  try {
    WorkParser(text, limits, result).run();
  } catch (const std::bad_alloc&) {
    result.error = WorkError::OutOfMemory;
  } catch (const std::length_error&) {
    result.error = WorkError::OutOfMemory;
  }
  if (result.error != WorkError::None) result.work = WorkFile{};
  return result;
}

}  // namespace kelvasta
