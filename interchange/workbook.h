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
  TooManyRowsForXlsx,
  CannotWrite,
  TooMuchText,     // the file holds more text than a read may keep (ReadLimits)
  OutOfMemory,     // the memory ran out while reading
  NotARegularFile, // a folder, named pipe, device or socket was chosen
  ReadOnlyFile,    // the file to be replaced may not be written
  NotText,         // a .csv/.tsv/.txt that is binary or in no encoding the reader knows
  UnbalancedQuote, // a text table whose quoted field is never closed
  UnclearSeparator // a text table whose lines mix commas, semicolons and tabs beyond telling
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

// Reads the first worksheet of a workbook or text table. The kind is told by
// the file's name and content: .csv, .tsv and .txt are text tables (unless
// they hold a zip or compound file, read as the workbook they are); any
// other name is read by its content as .xlsx, .ods or .xls. Cell texts:
//   number          general decimal text with up to 15 significant digits
//                   ("12.5", "3", "1.5E-05");
//   date or time    a number with a date or time format, an ISO date of an
//                   .xlsx t="d" cell, an .ods date or time value: its text
//                   "2024/1/1" (date), "2024/1/1 8:30" (date and time, with
//                   ":ss" when the seconds are not 0) or "8:30:00" (time)
//                   in the workbook's 1900 or 1904 date system;
//   text            unchanged (rich-text runs joined, phonetic guides left out);
//   boolean         "TRUE" or "FALSE";
//   error value     its Excel text: "#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
//                   "#NAME?", "#NUM!", "#N/A";
//   formula         its cached result, by the rules above ("" when the file
//                   holds none);
//   empty cell      "".
// Text tables: UTF-8 with or without byte order mark, UTF-16 with one, or
// GB18030 (GBK) when the bytes are not UTF-8; the separator (comma,
// semicolon or tab) is told from the first lines; quoted fields follow
// RFC 4180. A field that is a plain number reads as the number's text, as
// a workbook would show it ("12.50" is "12.5"); other fields are unchanged.
// A binary file is NotText, a quote left open at the end UnbalancedQuote,
// lines whose separators cannot be told UnclearSeparator.
// A sheet whose lastUsedRow exceeds maxRows gives TooManyRows. A missing or
// unreadable file gives CannotOpen, a file of any other kind NotAWorkbook, a
// password-protected workbook Encrypted, and damaged or truncated content
// Corrupt. Anything but a regular file (a folder, a named pipe, a device) is
// NotARegularFile and is never opened in a way that could wait. A workbook
// beyond `limits` is TooMuchText; running out of memory anyway gives
// OutOfMemory. On every error the sheet is empty.
ReadResult ReadFirstWorksheet(const std::string& path, int columnCount, std::int64_t maxRows,
                              const ReadLimits& limits = {});

// The same for a workbook held in memory; `name` (only its extension counts)
// tells a text table as for a file.
ReadResult ReadFirstWorksheetFromMemory(std::span<const std::byte> bytes, int columnCount,
                                        std::int64_t maxRows, const ReadLimits& limits = {},
                                        std::string_view name = {});

// For a column chooser: the names of all worksheets and the first rows of one.
struct SheetPreview {
  // Worksheet names in the workbook's order (chart sheets left out); a text
  // table has one sheet named after the file without its extension.
  std::vector<std::string> sheetNames;
  // rows[r][c] is the text of cell (r + 1, c + 1); every row is
  // columnCount long, up to the last column holding a non-empty cell in
  // these rows (at most kMaxPreviewColumns), and there are at most maxRows
  // rows, up to the last non-empty one.
  std::vector<std::vector<std::string>> rows;
  int columnCount = 0;
};

struct PreviewResult {
  WorkbookError error = WorkbookError::None;
  SheetPreview preview;  // empty unless error is None
};

inline constexpr int kMaxPreviewColumns = 1024;

// Reads the sheet names and the first `maxRows` rows of worksheet
// `sheetIndex` (0-based among the worksheets); an index past the last sheet
// gives NotAWorkbook. Reading stops soon after those rows in a sheet
// stored row by row, so a large sheet previews quickly.
PreviewResult PreviewWorkbook(const std::string& path, int sheetIndex, int maxRows,
                              const ReadLimits& limits = {});

// Reads the columns `columnIndexes` (0-based: 0 is A; any order, repeats
// allowed) of worksheet `sheetIndex`: sheet.columns[k] is column
// columnIndexes[k], and lastUsedRow counts the rows of every column of the
// sheet, as ReadFirstWorksheet does. Errors as for ReadFirstWorksheet, and
// NotAWorkbook for a sheet index past the last worksheet; a negative column
// index or one past XFD reads as an empty column.
ReadResult ReadWorksheetColumns(const std::string& path, int sheetIndex,
                                std::span<const int> columnIndexes, std::int64_t maxRows,
                                const ReadLimits& limits = {});

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

// Writes an .xlsx workbook (Office Open XML) of one sheet laid out as
// WriteWorkbookXls does, streamed row by row (memory does not grow with the
// rows): plain numbers as numbers, in the shortest text that reads back as
// the same double, other texts as inline text cut at 32,767 characters
// (characters XML cannot hold escaped as Excel escapes them).
// More than 1,048,576 rows up to the last non-empty text gives
// TooManyRowsForXlsx before anything is written. Written and replaced
// atomically like WriteWorkbookXls, with the same errors.
WorkbookError WriteWorkbookXlsx(const std::string& path,
                                const std::vector<std::vector<std::string>>& columns);

// Writes the columns as CSV: UTF-8 with a byte order mark (so that Excel
// reads Chinese text right), comma-separated, CRLF line ends, rows up to the
// last non-empty text; a text holding a comma, quote or line break, or
// starting or ending with a blank, is quoted (RFC 4180). Every text is
// written as it is. Written and replaced atomically like WriteWorkbookXls.
WorkbookError WriteWorkbookCsv(const std::string& path,
                               const std::vector<std::vector<std::string>>& columns);
// The text WriteWorkbookCsv writes.
std::string BuildWorkbookCsv(const std::vector<std::vector<std::string>>& columns);

// The .xls file WriteWorkbookXls would write, as bytes.
WorkbookError BuildWorkbookXls(const std::vector<std::vector<std::string>>& columns,
                               std::vector<std::byte>& bytes);

}  // namespace kelvasta
