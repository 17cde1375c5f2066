#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// What the planning window holds as typed, in plain types.
struct WorkPlanning {
  int design = 0;          // 0 to 7
  bool findPower = false;  // "mode": "sample_size" or "power"
  int sides = 2;           // 1 or 2
  std::map<std::string, std::string> inputs;
  // "pilot": the inputs filled from the panel's data, and the sentence's
  // name for them; empty when the plan was typed.
  std::vector<std::string> pilotKeys{};
  std::string pilotSource{};
  friend bool operator==(const WorkPlanning&, const WorkPlanning&) = default;
};

// A scroll bar of a value-list panel and the list window behind it.
struct WorkBar {
  int value = 0;
  int maximum = 5;
  friend bool operator==(const WorkBar&, const WorkBar&) = default;
};

// The clinician's work as the window holds it: the selected test, every
// list item and entry cell as typed, and what the window shows that its
// data alone does not decide (the captions as shown, the scroll places, the
// focus). Controls are named by their objectName.
struct WorkFile {
  int test = 0;
  std::array<std::vector<std::string>, 5> lists;  // List1 to List5
  std::array<WorkBar, 2> bars;                     // VS1, VSl1
  std::map<std::string, std::string> cells;        // entry cells
  std::map<std::string, std::string> captions;     // computed captions
  bool rxcWarning = false;                         // Label22 shown
  std::vector<std::string> sortedMeans;            // List8
  std::array<std::string, 6> text4FromLists;
  std::array<std::string, 9> text41FromLists;
  std::string focus;                               // "" for none
  std::optional<WorkPlanning> planning;
  // "names": the names the user gave each test's groups, rows, columns,
  // grades and variables, by test (0 to 7) and key; empty for none.
  std::array<std::map<std::string, std::string>, 8> names;
  // In a recovery file only: the work file the work belonged to.
  std::string recoveryOf;
  friend bool operator==(const WorkFile&, const WorkFile&) = default;
};

inline constexpr std::string_view kWorkFormat = "kelvasta-work";
inline constexpr int kWorkVersion = 1;

// What a read may hold, so that a hostile file is refused before memory
// runs short: the file's size (checked before reading), the items of one
// list and the bytes of one text.
struct WorkLimits {
  std::uint64_t maxFileBytes = std::uint64_t{256} << 20;
  std::size_t maxListItems = std::size_t{1} << 21;
  std::size_t maxTextBytes = std::size_t{1} << 20;
  std::size_t maxNames = 4096;  // members of "cells", "captions", "inputs"
  std::size_t maxTestNames = 64;       // keys of one test in "names"
  std::size_t maxNameBytes = 1024;     // one name's text
};

enum class WorkError { None, CannotOpen, NotARegularFile, TooLarge, NotWorkFile, NewerVersion, Damaged,
                       OutOfMemory, CannotWrite, ReadOnlyFile };

struct WorkReadResult {
  WorkError error = WorkError::None;
  std::string detail;  // for Damaged: what is wrong and where
  int version = 0;     // for NewerVersion: the file's version
  WorkFile work;       // empty unless error is None
};

// The work as the JSON text of a work file (UTF-8, one member per line at
// the top, lists on one line each).
std::string SerializeWorkFile(const WorkFile& work);

// Reads a work file's text. Its "format" must be kWorkFormat and its
// "version" at most kWorkVersion (a later one is NewerVersion); members this
// version does not know are skipped. Wrong types, values out of range,
// repeated names, more items or longer texts than `limits` allow, and any
// JSON syntax error give Damaged with the problem in `detail`.
WorkReadResult ParseWorkFile(std::string_view text, const WorkLimits& limits = {});

// Reads the file at `path`: anything but a regular file is NotARegularFile
// and is never opened in a way that could wait; a file larger than
// limits.maxFileBytes is TooLarge before anything is read.
WorkReadResult ReadWorkFile(const std::string& path, const WorkLimits& limits = {});

// Writes the work atomically (see ReplaceFileContents): a temporary file in
// the same folder, flushed to the disk and renamed over `path`. An existing
// file keeps its permissions; one that may not be written is ReadOnlyFile;
// every other failure is CannotWrite, the file left as it was.
WorkError WriteWorkFile(const std::string& path, const WorkFile& work);

// The planning member alone: {"design", "mode", "sides", "inputs"}, and the
// same read back (nullopt, with the problem in `error`, for anything else;
// members it does not know are skipped).
std::string WorkPlanningJson(const WorkPlanning& planning);
std::optional<WorkPlanning> ParseWorkPlanning(std::string_view text, std::string* error = nullptr,
                                              const WorkLimits& limits = {});

// A short Chinese sentence for a message box; `detail` and `version` as the
// read gave them.
std::string DescribeWorkError(WorkError error, std::string_view detail = {}, int version = 0);

}  // namespace kelvasta
