// Writes .xlsx: the few parts a workbook of one sheet needs, the sheet
// streamed row by row into a zip archive.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <new>

#include "interchange/cell_text.h"
#include "interchange/file_replace.h"
#include "interchange/ooxml_text.h"
#include "interchange/workbook.h"
#include "interchange/zip_writer.h"

namespace kelvasta {
namespace {

constexpr std::size_t kXlsxMaxRows = 1048576;
constexpr std::size_t kXlsxMaxColumns = 16384;
// Excel keeps at most this many characters (UTF-16 units) in a cell.
constexpr std::size_t kMaxCellUnits = 32767;
// The sheet goes to the compressor in pieces of about this size.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

constexpr std::string_view kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";

constexpr std::string_view kPackageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

constexpr std::string_view kWorkbook =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<bookViews><workbookView/></bookViews>)"
    R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)";

constexpr std::string_view kWorkbookRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

// One font, the two fills Excel reserves, one border, one cell format.
constexpr std::string_view kStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    "\n"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/><family val="2"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(</styleSheet>)";

// "A", "B", ... "XFD" for a 0-based column.
std::string ColumnName(std::size_t column) {
  std::string name;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
  return name;
}

void AppendNumber(std::string& out, auto value) {
  char digits[32];
  const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// The text cut to Excel's cell limit, never inside a surrogate pair.
std::string_view CellLimited(const std::string& text, std::string& cut) {
  if (text.size() <= kMaxCellUnits) return text;
  std::u16string units = Utf8ToUtf16(text);
  if (units.size() <= kMaxCellUnits) return text;
  std::size_t keep = kMaxCellUnits;
  if (units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF) --keep;
  units.resize(keep);
  cut = Utf16ToUtf8(units);
  return cut;
}

void AppendCell(std::string& out, const std::string& column, std::string_view row, const std::string& text) {
  out += "<c r=\"";
  out += column;
  out += row;
  if (const std::optional<double> number = WrittenNumber(text)) {
    out += "\"><v>";
    AppendNumber(out, *number);  // the shortest text that reads back as the same double
    out += "</v></c>";
    return;
  }
  std::string cut;
  const std::string_view limited = CellLimited(text, cut);
  out += KeepsBlanks(limited) ? R"(" t="inlineStr"><is><t xml:space="preserve">)" : R"(" t="inlineStr"><is><t>)";
  AppendOoxmlText(out, limited);
  out += "</t></is></c>";
}

// More than the sheet's XML can take: the tags of every cell and row, and
// each text byte escaped at its longest ("_x0001_").
std::uint64_t SheetBytesBound(const std::vector<std::vector<std::string>>& columns, std::size_t rows) {
  std::uint64_t bytes = 1024 + 40 * std::uint64_t{rows};
  for (const std::vector<std::string>& column : columns) {
    for (std::size_t r = 0; r < std::min(rows, column.size()); ++r) bytes += 64 + 7 * std::uint64_t{column[r].size()};
  }
  return bytes;
}

bool WriteSheet(ZipWriter& zip, const std::vector<std::vector<std::string>>& columns, std::size_t rows) {
  std::vector<std::string> names;
  for (std::size_t c = 0; c < columns.size(); ++c) names.push_back(ColumnName(c));
  std::string piece;
  piece.reserve(kPieceBytes + kPieceBytes / 4);
  piece += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           "\n"
           R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
           R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1)";
  if (rows > 0) {
    piece += ':';
    piece += names.back();
    AppendNumber(piece, rows);
  }
  piece += R"("/><sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews><sheetData>)";
  if (!zip.Begin("xl/worksheets/sheet1.xml", SheetBytesBound(columns, rows) > 0xFFFFFFFF)) return false;
  std::string row;
  for (std::size_t r = 0; r < rows; ++r) {
    row.clear();
    AppendNumber(row, r + 1);
    bool started = false;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (r >= columns[c].size() || columns[c][r].empty()) continue;
      if (!started) {
        piece += "<row r=\"";
        piece += row;
        piece += "\">";
        started = true;
      }
      AppendCell(piece, names[c], row, columns[c][r]);
    }
    if (started) piece += "</row>";
    if (piece.size() >= kPieceBytes && !zip.Write(piece)) return false;
  }
  piece += "</sheetData></worksheet>";
  return zip.Write(piece) && zip.End();
}

bool WriteXlsxTo(int fd, const std::vector<std::vector<std::string>>& columns, std::size_t rows) {
  ZipWriter zip(fd);
  return zip.Add("[Content_Types].xml", kContentTypes) && zip.Add("_rels/.rels", kPackageRelationships) &&
         zip.Add("xl/workbook.xml", kWorkbook) && zip.Add("xl/_rels/workbook.xml.rels", kWorkbookRelationships) &&
         zip.Add("xl/styles.xml", kStyles) && WriteSheet(zip, columns, rows) && zip.Finish();
}

}  // namespace

WorkbookError WriteWorkbookXlsx(const std::string& path, const std::vector<std::vector<std::string>>& columns) {
  if (columns.size() > kXlsxMaxColumns) return WorkbookError::CannotWrite;
  const std::size_t rows = WrittenRows(columns);
  if (rows > kXlsxMaxRows) return WorkbookError::TooManyRowsForXlsx;
  bool outOfMemory = false;
  const WorkbookError error = ReplaceFileWith(path, [&](int fd, const std::string&) {
    try {
      return WriteXlsxTo(fd, columns, rows);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      return false;
    }
  });
  return outOfMemory ? WorkbookError::OutOfMemory : error;
}

}  // namespace kelvasta
