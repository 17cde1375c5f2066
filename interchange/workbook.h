#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

enum class WorkbookError {
  None,
  CannotOpen,
  NotAWorkbook,
  Encrypted,
  Corrupt,
  TooManyRows,
  TooManyRowsForXls,
  CannotWrite,
  TooMuchText,     // the file holds more text than a read may keep (ReadLimits)
  OutOfMemory,     // the memory ran out while reading
  NotARegularFile, // a folder, named pipe, device or socket was chosen
  ReadOnlyFile     // the file to be replaced may not be written
};

// A short Chinese sentence naming the problem, for a message box
// ("文件已损坏或不完整。"); the empty text for WorkbookError::None.
std::string_view DescribeWorkbookError(WorkbookError error);

// What one read may hold. A workbook beyond these is refused with
// TooMuchText before memory runs short, whatever its size on disk.
struct ReadLimits {
  // One cell text or shared string, in UTF-8 bytes: Excel stops at 32,767
  // characters (at most 98,301 bytes); other writers may go a little past.
  std::size_t maxTextBytes = std::size_t{1} << 20;
  // Entries of the shared string table, and relationships of one part.
  std::size_t maxSharedStrings = std::size_t{8} << 20;
  // All texts held at once: shared strings, relationships and the cells
  // kept, each counted with the bookkeeping of a std::string, and the
  // uncompressed workbook stream of an .xls.
  std::size_t maxHeldBytes = std::size_t{512} << 20;
};

struct SheetColumns {
  // 1-based number of the last row holding a non-empty cell in any column;
  // 0 for an empty sheet.
  std::int64_t lastUsedRow = 0;
  // The first `columnCount` columns (A, B[, C]): columns[c][k] is the text of
  // cell (k + 1, c + 1). Every column is exactly lastUsedRow long.
  std::vector<std::vector<std::string>> columns;
};

struct ReadResult {
  WorkbookError error = WorkbookError::None;
  SheetColumns sheet;  // empty unless error is None
};

// Reads the first worksheet of an .xlsx or .xls workbook; the format is told
// by the file's content, not its name. Cell texts:
//   number          general decimal text with up to 15 significant digits
//                   ("12.5", "3", "1.5E-05"); a date or time is a number
//                   with a date format, so it reads as its serial number
//                   ("45292" for 2024-01-01), exactly as it is stored;
//   text            unchanged (rich-text runs joined, phonetic guides left out);
//   boolean         "TRUE" or "FALSE";
//   error value     its Excel text: "#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
//                   "#NAME?", "#NUM!", "#N/A";
//   formula         its cached result, by the rules above ("" when the file
//                   holds none);
//   empty cell      "".
// A sheet whose lastUsedRow exceeds maxRows gives TooManyRows. A missing or
// unreadable file gives CannotOpen, a file of any other kind NotAWorkbook, a
// password-protected workbook Encrypted, and damaged or truncated content
// Corrupt. Anything but a regular file (a folder, a named pipe, a device) is
// NotARegularFile and is never opened in a way that could wait. A workbook
// beyond `limits` is TooMuchText; running out of memory anyway gives
// OutOfMemory. On every error the sheet is empty.
ReadResult ReadFirstWorksheet(const std::string& path, int columnCount, std::int64_t maxRows,
                              const ReadLimits& limits = {});

// The same for a workbook held in memory.
ReadResult ReadFirstWorksheetFromMemory(std::span<const std::byte> bytes, int columnCount,
                                        std::int64_t maxRows, const ReadLimits& limits = {});

// Writes a genuine Excel 97-2003 workbook (BIFF8 in an OLE2 compound file)
// holding one sheet, no header row: columns[c][k] goes to cell (k + 1, c + 1).
// Texts that are plain numbers (Currency::FromText accepts them, or they are
// the general text of a double such as "1E+15") are written as numbers, the
// others as text (any Unicode, cut at Excel's 32,767 characters), "" as no
// cell at all. More than 65,536 rows up to the last non-empty text gives
// TooManyRowsForXls (empty rows after it write no cells and do not count),
// more than 256 columns CannotWrite; both before anything is written. The
// file is written to a temporary file in the same folder and renamed into
// place, so an existing file is either replaced whole or left as it was. An
// existing file the user may not write (or that has no write permission at
// all) is left alone and gives ReadOnlyFile. A symbolic link is followed: the
// file it points to is replaced and the link stays.
WorkbookError WriteWorkbookXls(const std::string& path,
                               const std::vector<std::vector<std::string>>& columns);

// The .xls file WriteWorkbookXls would write, as bytes.
WorkbookError BuildWorkbookXls(const std::vector<std::vector<std::string>>& columns,
                               std::vector<std::byte>& bytes);

}  // namespace kelvasta
