// The work file's JSON, written member by member.
#include "interchange/json_reader.h"
#include "interchange/work_file.h"

#include <span>

namespace kelvasta {

namespace {

constexpr std::array<std::string_view, 5> kListNames{"List1", "List2", "List3", "List4", "List5"};
constexpr std::array<std::string_view, 2> kBarNames{"VS1", "VSl1"};

void AppendArray(std::string& out, std::span<const std::string> items) {
  out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) out += ',';
    AppendJsonString(out, items[i]);
  }
  out += ']';
}

void AppendNames(std::string& out, const std::map<std::string, std::string>& names, std::string_view indent) {
  out += '{';
  bool first = true;
  for (const auto& [name, text] : names) {
    out += first ? "\n" : ",\n";
    first = false;
    out += indent;
    AppendJsonString(out, name);
    out += ": ";
    AppendJsonString(out, text);
  }
  out += '}';
}

void AppendPlanning(std::string& out, const WorkPlanning& planning) {
  out += "{\"design\": " + std::to_string(planning.design) + ", \"mode\": ";
  out += planning.findPower ? "\"power\"" : "\"sample_size\"";
  out += ", \"sides\": " + std::to_string(planning.sides) + ", \"inputs\": ";
  AppendNames(out, planning.inputs, "    ");
  if (!planning.pilotKeys.empty()) {
    out += ", \"pilot\": {\"keys\": ";
    AppendArray(out, planning.pilotKeys);
    out += ", \"source\": ";
    AppendJsonString(out, planning.pilotSource);
    out += '}';
  }
  out += '}';
}

// ",\n"names": {"0": {...}, ...}" for the tests that have names; nothing
// when none has, so that work without names is written as before.
void AppendTestNames(std::string& out, const std::array<std::map<std::string, std::string>, 8>& names) {
  bool first = true;
  for (std::size_t test = 0; test < names.size(); ++test) {
    if (names[test].empty()) continue;
    out += first ? ",\n\"names\": {\n  \"" : ",\n  \"";
    first = false;
    out += std::to_string(test) + "\": ";
    AppendNames(out, names[test], "    ");
  }
  if (!first) out += '}';
}

}  // namespace

std::string SerializeWorkFile(const WorkFile& work) {
  std::string out = "{\n\"format\": ";
  AppendJsonString(out, kWorkFormat);
  out += ",\n\"version\": " + std::to_string(kWorkVersion) + ",\n\"test\": " + std::to_string(work.test);
  out += ",\n\"lists\": {";
  for (std::size_t k = 0; k < kListNames.size(); ++k) {
    out += k == 0 ? "\n  " : ",\n  ";
    AppendJsonString(out, kListNames[k]);
    out += ": ";
    AppendArray(out, work.lists[k]);
  }
  out += "},\n\"cells\": ";
  AppendNames(out, work.cells, "  ");
  out += ",\n\"view\": {";
  for (std::size_t k = 0; k < kBarNames.size(); ++k) {
    out += "\n  ";
    AppendJsonString(out, kBarNames[k]);
    out += ": {\"value\": " + std::to_string(work.bars[k].value) +
           ", \"max\": " + std::to_string(work.bars[k].maximum) + "},";
  }
  out += "\n  \"focus\": ";
  AppendJsonString(out, work.focus);
  out += ",\n  \"rxc_warning\": ";
  out += work.rxcWarning ? "true" : "false";
  out += ",\n  \"List8\": ";
  AppendArray(out, work.sortedMeans);
  out += ",\n  \"summaries_from_lists\": {\"Text4\": ";
  AppendArray(out, work.text4FromLists);
  out += ", \"Text41\": ";
  AppendArray(out, work.text41FromLists);
  out += "},\n  \"captions\": ";
  AppendNames(out, work.captions, "    ");
  out += "}";
  AppendTestNames(out, work.names);
  if (work.planning) {
    out += ",\n\"planning\": ";
    AppendPlanning(out, *work.planning);
  }
  if (!work.recoveryOf.empty()) {
    out += ",\n\"recovery_of\": ";
    AppendJsonString(out, work.recoveryOf);
  }
  out += "\n}\n";
  return out;
}

std::string WorkPlanningJson(const WorkPlanning& planning) {
  std::string out;
  AppendPlanning(out, planning);
  return out;
}

}  // namespace kelvasta
