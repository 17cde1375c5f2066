#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/date_text.h"
#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"

namespace kelvasta {

// Supplies the next bytes of a part: fills up to `size` bytes and gives how
// many it filled, 0 at the end, or -1 when the part cannot be read further.
using ByteSource = std::function<std::int64_t(char* buffer, std::size_t size)>;

// What the markup scanner below hands its markup and text to. Element names
// come without their namespace prefix; attributes are the raw text after
// the name, for FindAttribute.
class MarkupHandler {
 public:
  virtual ~MarkupHandler() = default;
  // Where character data goes now; nullptr while it is not kept.
  virtual std::string* TextTarget() = 0;
  virtual WorkbookError Start(std::string_view name, std::string_view attributes, bool selfClosing) = 0;
  virtual WorkbookError End(std::string_view name) = 0;
  // True once the part holds nothing more of interest.
  virtual bool Done() const = 0;
};

// Feeds an XML part to `handler` one buffer at a time until it is Done(); a
// part that ends first is Corrupt, a kept text longer than maxTextBytes
// TooMuchText.
WorkbookError ScanMarkup(const ByteSource& source, std::size_t maxTextBytes, MarkupHandler& handler);

// The raw value of the attribute named `wanted` (with its prefix, if any)
// in the attribute text of a start tag.
std::optional<std::string_view> FindAttribute(std::string_view attributes, std::string_view wanted);

// Appends XML character data (an attribute value, say), decoding references
// and normalising line ends; false for a malformed reference.
bool AppendCharacterData(std::string& out, std::string_view text);

// Reads the cells of an .xlsx worksheet part (<worksheet>…<sheetData>) into
// `sheet`, one buffer at a time, so memory does not grow with the part.
//
// A general XML parser spends most of a million-row sheet on work this part
// never needs (attribute lists, namespace tables, UTF-16 conversion), so this
// is a small scanner of its own: it finds tags and text, decodes the five
// predefined entities, character references and CDATA, skips comments and
// processing instructions, matches elements by local name (so any namespace
// prefix works) and refuses document type declarations. It does not check
// that the document is well formed beyond what the cells need, but a part
// that ends before </sheetData> is Corrupt, a cell text longer than
// sheet.limits().maxTextBytes TooMuchText. The scanner reads UTF-8 only:
// wrap a part that may be UTF-16 in AsUtf8().
//
// Cells: <row r> and <c r> give positions; a row without r follows the
// previous row and a cell without r the previous cell. Types: t="s" (index
// into sharedStrings), "inlineStr" (<is>, runs joined, phonetic <rPh> left
// out), "str" (formula text), "b", "e", "d" (ISO date, read as its serial
// as its date text) and numbers; a number whose style s indexes a
// date or time kind in `styleDates` reads as its date or time text in the
// 1900 or, with date1904, the 1904 system.
WorkbookError ScanWorksheet(const ByteSource& source, const std::vector<std::string>& sharedStrings,
                            const std::vector<DateKind>& styleDates, bool date1904, SheetCollector& sheet);

// Reads the date kinds of the cellXfs of a styles part: numFmtId through
// the part's own <numFmts> or the built-in formats.
WorkbookError ScanStyleDates(const ByteSource& source, std::size_t maxTextBytes, std::vector<DateKind>& out);

// Reads the <si> items of a sharedStrings part (<sst>) into `out`, with the
// same scanner: the <t> texts of an item joined, phonetic <rPh> left out,
// OOXML escapes decoded. The items are counted against sheet.limits() and
// held through sheet.HoldText(); a part that ends before </sst> is Corrupt.
WorkbookError ScanSharedStrings(const ByteSource& source, SheetCollector& sheet,
                                std::vector<std::string>& out);

// `source` as UTF-8: a part stored in UTF-16 (either byte order, told by its
// byte order mark or its first character) is converted as it is read, a
// lone surrogate becoming U+FFFD; any other part passes through unchanged.
ByteSource AsUtf8(ByteSource source);

// Decodes a cell reference such as "B12" into a 1-based column and row; the
// row is 0 when the reference has only letters. False for anything else and
// for positions past XFD1048576.
bool ParseCellReference(std::string_view reference, std::int64_t& column, std::int64_t& row);

}  // namespace kelvasta
