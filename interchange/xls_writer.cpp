// Writes the .xls format: a BIFF8 workbook stream (globals, then one sheet)
// inside an OLE2 compound file.

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>

#include "interchange/biff.h"
#include "interchange/cell_text.h"
#include "interchange/file_replace.h"
#include "interchange/workbook.h"
#include "interchange/xls_reader.h"
#include "stats/currency.h"
#include "stats/number_text.h"
#include "stats/utf8.h"

namespace kelvasta {
namespace {

constexpr std::size_t kXlsMaxRows = 65536;
constexpr std::size_t kXlsMaxColumns = 256;
// Excel keeps at most this many characters (UTF-16 units) in a cell.
constexpr std::size_t kMaxCellUnits = 32767;
// Excel pads its workbook stream to 4 KiB so that it is never kept in the
// compound file's short-sector area; readers stop at the last EOF record.
constexpr std::size_t kMinStreamSize = 4096;
constexpr std::uint16_t kCellXf = 15;

class Payload {
 public:
  Payload& U8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  Payload& U16(std::uint16_t value) {
    return U8(static_cast<std::uint8_t>(value)).U8(static_cast<std::uint8_t>(value >> 8));
  }
  Payload& U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value)).U16(static_cast<std::uint16_t>(value >> 16));
  }
  Payload& F64(double value) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
  }
  Payload& Ascii(std::string_view text) {
    for (char c : text) {
      U8(static_cast<std::uint8_t>(c));
    }
    return *this;
  }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  void clear() { bytes_.clear(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

class Stream {
 public:
  void Add(std::uint16_t id, const Payload& payload) {
    Payload header;
    header.U16(id).U16(static_cast<std::uint16_t>(payload.size()));
    bytes_.insert(bytes_.end(), header.bytes().begin(), header.bytes().end());
    bytes_.insert(bytes_.end(), payload.bytes().begin(), payload.bytes().end());
  }
  std::size_t size() const { return bytes_.size(); }
  void PatchU32(std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes_[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }
  void PadTo(std::size_t size) {
    if (bytes_.size() < size) {
      bytes_.resize(size, 0);
    }
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

struct Cell {
  std::uint16_t row;
  std::uint16_t column;
  bool isNumber;
  double number;
  std::uint32_t stringIndex;
};

std::u16string CellUnits(const std::string& text) {
  std::u16string units = Utf8ToUtf16(text);
  if (units.size() > kMaxCellUnits) {
    std::size_t keep = kMaxCellUnits;
    if (units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF) {
      --keep;  // never keep half a surrogate pair
    }
    units.resize(keep);
  }
  return units;
}

void AddGlobalFormatting(Stream& stream) {
  Payload codePage;
  stream.Add(biff::kCodePage, codePage.U16(1200));  // UTF-16

  Payload window1;
  window1.U16(0).U16(0).U16(0x25BC).U16(0x1572)  // position and size in twips
      .U16(0x0038)                                // scroll bars and tabs shown
      .U16(0).U16(0).U16(1)                       // active tab, first tab, tabs selected
      .U16(0x0258);                               // tab bar takes 60 % of the width
  stream.Add(biff::kWindow1, window1);

  Payload dateMode;
  stream.Add(biff::kDateMode, dateMode.U16(0));  // 1900 date system

  // Fonts 0 to 3 (the formats number them 0, 1, 2, 3, 5: there is no 4).
  for (int i = 0; i < 4; ++i) {
    Payload font;
    font.U16(200)      // 10 points, in twentieths
        .U16(0)        // no bold, italic, strike-out
        .U16(0x7FFF)   // automatic colour
        .U16(400)      // normal weight
        .U16(0)        // no super- or subscript
        .U8(0).U8(0).U8(0).U8(0)  // underline, family, character set, reserved
        .U8(5).U8(0).Ascii("Arial");
    stream.Add(biff::kFont, font);
  }

  // XF 0 to 14 are style formats (0 is "Normal"), XF 15 the cell format
  // every cell uses.
  for (std::uint16_t i = 0; i < 16; ++i) {
    std::uint16_t font = (i == 1 || i == 2) ? 1 : (i == 3 || i == 4) ? 2 : 0;
    bool style = i < 15;
    Payload xf;
    xf.U16(font)
        .U16(0)                        // General number format
        .U16(style ? 0xFFF5 : 0x0001)  // locked; style XFs have no parent (0xFFF)
        .U8(0x20)                      // aligned to the bottom
        .U8(0)                         // no rotation
        .U8(0)                         // no indent
        .U8(style && i > 0 ? 0xF4 : 0)  // attributes that differ from the parent
        .U32(0).U32(0)                 // no borders
        .U16(0x20C0);                  // pattern colours: automatic
    stream.Add(biff::kXf, xf);
  }

  Payload normalStyle;
  normalStyle.U16(0x8000)  // built-in style, XF 0
      .U8(0)               // "Normal"
      .U8(0xFF);           // no outline level
  stream.Add(biff::kStyle, normalStyle);
}

// The shared strings table, split into CONTINUE records: a string's header
// (count and option byte) and its first character never cross a record
// boundary, and characters that go on in a CONTINUE follow a fresh option
// byte there. Also writes the EXTSST index of every dsst-th string.
void AddSharedStrings(Stream& stream, const std::vector<std::u16string>& strings,
                      std::uint32_t references) {
  std::size_t perBucket = std::max<std::size_t>(8, (strings.size() + 127) / 128);
  Payload extSst;
  extSst.U16(static_cast<std::uint16_t>(perBucket));

  Payload current;
  bool first = true;
  auto flush = [&] {
    stream.Add(first ? biff::kSst : biff::kContinue, current);
    first = false;
    current.clear();
  };
  current.U32(references).U32(static_cast<std::uint32_t>(strings.size()));
  for (std::size_t i = 0; i < strings.size(); ++i) {
    const std::u16string& units = strings[i];
    bool compressed = std::all_of(units.begin(), units.end(), [](char16_t u) { return u < 0x100; });
    std::size_t width = compressed ? 1 : 2;
    std::uint8_t options = compressed ? 0x00 : 0x01;
    if (biff::kMaxPayload - current.size() < 3 + (units.empty() ? 0 : width)) {
      flush();
    }
    if (i % perBucket == 0) {
      // Stream position of the string and its offset in its record, both
      // counting the 4-byte record header.
      extSst.U32(static_cast<std::uint32_t>(stream.size() + 4 + current.size()))
          .U16(static_cast<std::uint16_t>(4 + current.size()))
          .U16(0);
    }
    current.U16(static_cast<std::uint16_t>(units.size())).U8(options);
    std::size_t done = 0;
    while (done < units.size()) {
      std::size_t room = (biff::kMaxPayload - current.size()) / width;
      if (room == 0) {
        flush();
        current.U8(options);
        continue;
      }
      std::size_t take = std::min(room, units.size() - done);
      for (std::size_t k = done; k < done + take; ++k) {
        if (compressed) {
          current.U8(static_cast<std::uint8_t>(units[k]));
        } else {
          current.U16(units[k]);
        }
      }
      done += take;
    }
  }
  flush();
  stream.Add(biff::kExtSst, extSst);
}

std::vector<std::byte> WrapInCompoundFile(const std::vector<std::uint8_t>& workbook) {
  InitializeGsf();
  // CLSID of an Excel workbook, {00020820-0000-0000-C000-000000000046},
  // in the byte order of the file.
  static const guint8 kExcelClassId[16] = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  std::vector<std::byte> bytes;
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* ole = gsf_outfile_msole_new(sink);
  gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), kExcelClassId);
  GsfOutput* child = gsf_outfile_new_child(ole, "Workbook", FALSE);
  bool ok = child != nullptr && gsf_output_write(child, workbook.size(), workbook.data()) &&
            gsf_output_close(child);
  if (child != nullptr) {
    g_object_unref(child);
  }
  ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
  g_object_unref(ole);
  if (ok) {
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    auto size = static_cast<std::size_t>(gsf_output_size(sink));
    if (data != nullptr) {
      bytes.resize(size);
      std::memcpy(bytes.data(), data, size);
    }
  }
  g_object_unref(sink);
  return bytes;
}

}  // namespace

WorkbookError BuildWorkbookXls(const std::vector<std::vector<std::string>>& columns,
                               std::vector<std::byte>& bytes) {
  bytes.clear();
  if (columns.size() > kXlsMaxColumns) {
    return WorkbookError::CannotWrite;
  }
  std::size_t rows = 0;
  for (const std::vector<std::string>& column : columns) {
    auto last = std::find_if(column.rbegin(), column.rend(), [](const std::string& t) { return !t.empty(); });
    rows = std::max(rows, static_cast<std::size_t>(column.rend() - last));
  }
  if (rows > kXlsMaxRows) {
    return WorkbookError::TooManyRowsForXls;
  }

  std::vector<Cell> cells;
  std::vector<std::u16string> strings;
  std::unordered_map<std::string, std::uint32_t> stringIndex;
  std::uint32_t references = 0;
  for (std::size_t r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (r >= columns[c].size() || columns[c][r].empty()) {
        continue;
      }
      const std::string& text = columns[c][r];
      Cell cell{static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(c), false, 0, 0};
      if (std::optional<double> number = WrittenNumber(text)) {
        cell.isNumber = true;
        cell.number = *number;
      } else {
        auto [it, added] = stringIndex.try_emplace(text, static_cast<std::uint32_t>(strings.size()));
        if (added) {
          strings.push_back(CellUnits(text));
        }
        cell.stringIndex = it->second;
        ++references;
      }
      cells.push_back(cell);
    }
  }

  Stream stream;
  Payload bof;
  bof.U16(biff::kBiff8).U16(biff::kGlobalsSubstream).U16(0x0DBB).U16(0x07CC)  // build, year
      .U32(0x00000041)   // file history: saved on Windows
      .U32(0x00000006);  // lowest BIFF version that reads it
  stream.Add(biff::kBof, bof);
  AddGlobalFormatting(stream);

  std::size_t sheetOffsetAt = stream.size() + 4;
  Payload boundSheet;
  boundSheet.U32(0)  // the sheet's BOF offset, set below
      .U8(0)         // visible
      .U8(0)         // worksheet
      .U8(6).U8(0).Ascii("Sheet1");
  stream.Add(biff::kBoundSheet, boundSheet);

  AddSharedStrings(stream, strings, references);
  stream.Add(biff::kEof, Payload());

  stream.PatchU32(sheetOffsetAt, static_cast<std::uint32_t>(stream.size()));
  Payload sheetBof;
  sheetBof.U16(biff::kBiff8).U16(biff::kWorksheetSubstream).U16(0x0DBB).U16(0x07CC)
      .U32(0x00000041).U32(0x00000006);
  stream.Add(biff::kBof, sheetBof);

  // First used row, last used row + 1, first used column, last used column + 1.
  Payload dimensions;
  if (cells.empty()) {
    dimensions.U32(0).U32(0).U16(0).U16(0).U16(0);
  } else {
    auto [minColumn, maxColumn] = std::minmax_element(
        cells.begin(), cells.end(), [](const Cell& a, const Cell& b) { return a.column < b.column; });
    dimensions.U32(cells.front().row)
        .U32(static_cast<std::uint32_t>(cells.back().row) + 1)
        .U16(minColumn->column)
        .U16(static_cast<std::uint16_t>(maxColumn->column + 1))
        .U16(0);
  }
  stream.Add(biff::kDimensions, dimensions);

  Payload record;
  for (const Cell& cell : cells) {
    record.clear();
    record.U16(cell.row).U16(cell.column).U16(kCellXf);
    if (cell.isNumber) {
      stream.Add(biff::kNumber, record.F64(cell.number));
    } else {
      stream.Add(biff::kLabelSst, record.U32(cell.stringIndex));
    }
  }

  Payload window2;
  window2.U16(0x06B6)  // grid, headers, zeros, outline symbols shown; sheet selected and active
      .U16(0).U16(0)   // top row, left column
      .U32(0x40)       // automatic grid-line colour
      .U16(0).U16(0)   // zoom of page-break preview and normal view: default
      .U32(0);
  stream.Add(biff::kWindow2, window2);
  stream.Add(biff::kEof, Payload());
  stream.PadTo(kMinStreamSize);

  bytes = WrapInCompoundFile(stream.bytes());
  return bytes.empty() ? WorkbookError::CannotWrite : WorkbookError::None;
}

WorkbookError WriteWorkbookXls(const std::string& path,
                               const std::vector<std::vector<std::string>>& columns) {
  std::vector<std::byte> bytes;
  if (WorkbookError error = BuildWorkbookXls(columns, bytes); error != WorkbookError::None) {
    return error;
  }
  return ReplaceFileContents(path, bytes);
}

}  // namespace kelvasta
