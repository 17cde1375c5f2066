#pragma once

#include <string_view>

#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"

namespace kelvasta {

// Reads a text table (.csv, .tsv, .txt) into `sheet`, one line a row.
//
// Encoding: a UTF-8 or UTF-16 (either byte order) byte order mark says it;
// without one the bytes are UTF-8 when they are valid UTF-8 and GB18030
// (which contains GBK and GB2312) otherwise. A NUL byte, control characters
// other than tab, line and page ends, or bytes valid in neither encoding
// make the file NotText.
//
// Separator: comma, semicolon or tab, told from the first 100 lines by
// counting each outside quoted fields, which are told as the reader tells
// them (a quote inside a field, as in 12", is text and opens nothing): one
// that comes equally often on every line
// wins, tab before semicolon before comma when several do ("1,5;2,5" is two
// fields with decimal commas); failing that the one found on the most lines
// when it is on at least three times as many as any other; lines with none
// of them are one column. Anything else is UnclearSeparator.
//
// Fields: RFC 4180 quoting (a field starting with '"' runs to the next lone
// '"', taking separators, line ends and doubled quotes "" as text); a quote
// left open at the end is UnbalancedQuote. Lines end with LF, CRLF or CR.
// A field that is a plain number reads as its general text ("12.50" is
// "12.5", as in a workbook); other fields are unchanged.
WorkbookError ReadTextTable(std::string_view bytes, SheetCollector& sheet);

// The same for an open regular file, read whole; the bytes count against
// the sheet's ReadLimits::maxHeldBytes. Closes `fd`.
WorkbookError ReadTextTableFile(int fd, SheetCollector& sheet);

}  // namespace kelvasta
