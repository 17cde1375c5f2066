#include "interchange/xls_reader.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interchange/biff.h"
#include "interchange/cell_text.h"
#include "interchange/date_text.h"

namespace kelvasta {
namespace {

using Bytes = std::span<const std::uint8_t>;

struct Record {
  std::uint16_t id = 0;
  Bytes data;
  std::size_t next = 0;  // offset of the record after it
};

// The record at `offset`, or nullopt when its header or payload would reach
// past the stream.
std::optional<Record> RecordAt(Bytes stream, std::size_t offset) {
  if (offset > stream.size() || stream.size() - offset < 4) {
    return std::nullopt;
  }
  std::uint16_t length = biff::U16(&stream[offset + 2]);
  if (stream.size() - offset - 4 < length) {
    return std::nullopt;
  }
  return Record{biff::U16(&stream[offset]), stream.subspan(offset + 4, length), offset + 4 + length};
}

// A record's payload followed by the payloads of the CONTINUE records after
// it, read as one sequence. Character data that crosses into a CONTINUE
// starts there with a fresh option byte telling whether its characters are
// one or two bytes wide; everything else runs on unchanged.
class ContinuedData {
 public:
  ContinuedData(Bytes stream, const Record& first) : segments_{first.data}, next_(first.next) {
    while (std::optional<Record> more = RecordAt(stream, next_)) {
      if (more->id != biff::kContinue) {
        break;
      }
      segments_.push_back(more->data);
      next_ = more->next;
    }
  }

  std::size_t next() const { return next_; }
  bool AtEnd() {
    SkipExhausted();
    return segment_ == segments_.size();
  }

  bool Skip(std::size_t count) {
    while (count > 0) {
      if (AtEnd()) {
        return false;
      }
      std::size_t step = std::min(count, segments_[segment_].size() - at_);
      at_ += step;
      count -= step;
    }
    return true;
  }

  bool ReadU8(std::uint8_t& value) {
    if (AtEnd()) {
      return false;
    }
    value = segments_[segment_][at_++];
    return true;
  }
  bool ReadU16(std::uint16_t& value) {
    std::uint8_t low = 0, high = 0;
    if (!ReadU8(low) || !ReadU8(high)) {
      return false;
    }
    value = static_cast<std::uint16_t>(low | (high << 8));
    return true;
  }
  bool ReadU32(std::uint32_t& value) {
    std::uint16_t low = 0, high = 0;
    if (!ReadU16(low) || !ReadU16(high)) {
      return false;
    }
    value = low | (static_cast<std::uint32_t>(high) << 16);
    return true;
  }

  // `count` characters, one or two bytes wide, switching width with the
  // option byte at the head of each CONTINUE they run into.
  bool ReadCharacters(std::size_t count, bool wide, std::u16string& out) {
    while (count > 0) {
      if (segment_ >= segments_.size()) {
        return false;
      }
      if (at_ == segments_[segment_].size()) {
        ++segment_;
        if (segment_ >= segments_.size() || segments_[segment_].empty()) {
          return false;
        }
        wide = (segments_[segment_][0] & 0x01) != 0;
        at_ = 1;
        continue;
      }
      Bytes here = segments_[segment_].subspan(at_);
      std::size_t width = wide ? 2 : 1;
      std::size_t take = std::min(count, here.size() / width);
      if (take == 0) {
        return false;  // half a character before the boundary
      }
      for (std::size_t i = 0; i < take; ++i) {
        out += wide ? static_cast<char16_t>(biff::U16(&here[2 * i])) : static_cast<char16_t>(here[i]);
      }
      at_ += take * width;
      count -= take;
    }
    return true;
  }

 private:
  void SkipExhausted() {
    while (segment_ < segments_.size() && at_ == segments_[segment_].size()) {
      ++segment_;
      at_ = 0;
    }
  }

  std::vector<Bytes> segments_;
  std::size_t next_;
  std::size_t segment_ = 0;
  std::size_t at_ = 0;
};

// A BIFF8 string: character count (16 bits), option byte, then optional
// rich-text run count and phonetic block size, the characters, and the runs
// and phonetic block, which are skipped.
bool ReadUnicodeString(ContinuedData& data, std::string& out) {
  std::uint16_t count = 0;
  std::uint8_t options = 0;
  if (!data.ReadU16(count) || !data.ReadU8(options)) {
    return false;
  }
  std::uint16_t runs = 0;
  std::uint32_t extended = 0;
  if ((options & 0x08) != 0 && !data.ReadU16(runs)) {
    return false;
  }
  if ((options & 0x04) != 0 && !data.ReadU32(extended)) {
    return false;
  }
  std::u16string units;
  units.reserve(count);
  if (!data.ReadCharacters(count, (options & 0x01) != 0, units)) {
    return false;
  }
  if (!data.Skip(std::size_t{4} * runs) || !data.Skip(extended)) {
    return false;
  }
  out = Utf16ToUtf8(units);
  return true;
}

// Text of the code page a BIFF5 workbook declares, for iconv.
std::string CodePageName(std::uint16_t codePage) {
  switch (codePage) {
    case 367: return "ASCII";
    case 1200: return "UTF-16LE";
    case 10000:
    case 0x8000: return "MACINTOSH";
    case 0x8001: return "CP1252";
    default: return "CP" + std::to_string(codePage);
  }
}

std::string DecodeBytes(Bytes bytes, std::uint16_t codePage) {
  if (bytes.empty()) {
    return {};
  }
  gsize written = 0;
  gchar* converted = g_convert(reinterpret_cast<const gchar*>(bytes.data()),
                               static_cast<gssize>(bytes.size()), "UTF-8",
                               CodePageName(codePage).c_str(), nullptr, &written, nullptr);
  if (converted != nullptr) {
    std::string text(converted, written);
    g_free(converted);
    return text;
  }
  std::string text;  // unknown code page or invalid bytes: read them as Latin-1
  for (std::uint8_t byte : bytes) {
    AppendUtf8(text, byte);
  }
  return text;
}

class StreamReader {
 public:
  StreamReader(Bytes stream, SheetCollector& sheet) : stream_(stream), sheet_(sheet) {}

  WorkbookError Run() {
    WorkbookError error = ReadGlobals();
    return error == WorkbookError::None ? ReadSheet() : error;
  }

 private:
  WorkbookError ReadGlobals();
  WorkbookError ReadSharedStrings(ContinuedData& data);
  WorkbookError ReadSheet();
  WorkbookError ReadCell(const Record& record, std::size_t& next);
  // A cell's string, starting `skip` bytes into the record (LABEL, RSTRING, STRING).
  bool ReadCellString(const Record& record, std::size_t skip, std::string& out, std::size_t& next);
  WorkbookError Add(std::uint16_t row, std::uint16_t column, std::string_view text) {
    return sheet_.Add(std::int64_t{row} + 1, std::int64_t{column} + 1, text);
  }
  WorkbookError AddNumber(std::uint16_t row, std::uint16_t column, double value, std::uint16_t xf) {
    if (!sheet_.Keeps(std::int64_t{column} + 1)) {
      return std::isfinite(value) ? sheet_.MarkUsed(std::int64_t{row} + 1, std::int64_t{column} + 1)
                                  : WorkbookError::None;
    }
    if (xf < xfDates_.size() && xfDates_[xf] != DateKind::None) {
      if (std::optional<std::string> date = SerialDateText(value, xfDates_[xf], date1904_)) {
        return Add(row, column, *date);
      }
    }
    return Add(row, column, NumberCellText(value));
  }
  void ReadFormat(const Record& record);
  void ReadBoundSheet(const Record& record);

  Bytes stream_;
  SheetCollector& sheet_;
  bool biff8_ = true;
  std::uint16_t codePage_ = 1252;
  std::optional<std::uint32_t> sheetOffset_;
  int worksheets_ = 0;
  bool date1904_ = false;
  std::unordered_map<std::uint16_t, DateKind> formatDates_;  // custom FORMAT records
  std::vector<DateKind> xfDates_;                             // by XF index
  std::vector<std::string> sharedStrings_;
  // A formula whose text result follows in a STRING record.
  std::optional<std::pair<std::uint16_t, std::uint16_t>> pendingString_;
};

WorkbookError StreamReader::ReadGlobals() {
  std::optional<Record> bof = RecordAt(stream_, 0);
  if (!bof) {
    return WorkbookError::Corrupt;
  }
  if (bof->id == 0x0009 || bof->id == 0x0209 || bof->id == 0x0409) {
    return WorkbookError::NotAWorkbook;  // Excel 2.1 to 4.0 worksheet
  }
  if (bof->id != biff::kBof || bof->data.size() < 4) {
    return WorkbookError::Corrupt;
  }
  std::uint16_t version = biff::U16(&bof->data[0]);
  if (version != biff::kBiff8 && version != biff::kBiff5) {
    return WorkbookError::NotAWorkbook;
  }
  biff8_ = version == biff::kBiff8;
  if (biff::U16(&bof->data[2]) != biff::kGlobalsSubstream) {
    return WorkbookError::Corrupt;
  }
  std::size_t offset = bof->next;
  for (;;) {
    std::optional<Record> record = RecordAt(stream_, offset);
    if (!record) {
      return WorkbookError::Corrupt;
    }
    offset = record->next;
    switch (record->id) {
      case biff::kEof:
        if (!sheetOffset_) {
          // No worksheet at all, or fewer than the chosen one.
          return worksheets_ == 0 ? WorkbookError::Corrupt : WorkbookError::NotAWorkbook;
        }
        return WorkbookError::None;
      case biff::kDateMode:
        date1904_ = record->data.size() >= 2 && biff::U16(&record->data[0]) != 0;
        break;
      case biff::kFormat:
        ReadFormat(*record);
        break;
      case biff::kXf:
        if (record->data.size() >= 4 && xfDates_.size() < 65536) {
          std::uint16_t format = biff::U16(&record->data[2]);
          auto custom = formatDates_.find(format);
          xfDates_.push_back(custom != formatDates_.end() ? custom->second : DateKindOfBuiltInFormat(format));
        }
        break;
      case biff::kFilePass:
        return WorkbookError::Encrypted;
      case biff::kCodePage:
        if (record->data.size() >= 2) {
          codePage_ = biff::U16(&record->data[0]);
        }
        break;
      case biff::kBoundSheet:
        ReadBoundSheet(*record);
        break;
      case biff::kSst:
        if (biff8_) {
          ContinuedData data(stream_, *record);
          if (WorkbookError error = ReadSharedStrings(data); error != WorkbookError::None) {
            return error;
          }
          offset = data.next();
        }
        break;
      default:
        break;
    }
  }
}

// Offset of the sheet's BOF, visibility, type (0 is a worksheet), then the
// name: a short string (8-bit count) in BIFF8, code-page bytes in BIFF5.
void StreamReader::ReadBoundSheet(const Record& record) {
  Bytes d = record.data;
  if (d.size() < 6 || d[5] != 0) {
    return;
  }
  if (worksheets_++ == sheet_.sheetIndex()) {
    sheetOffset_ = biff::U32(&d[0]);
  }
  if (!sheet_.listsNames()) {
    return;
  }
  std::string name;
  if (d.size() >= 8) {
    std::size_t count = d[6];
    if (!biff8_) {
      name = DecodeBytes(d.subspan(7, std::min(count, d.size() - 7)), codePage_);
    } else {
      bool wide = (d[7] & 0x01) != 0;
      std::u16string units;
      for (std::size_t i = 0; i < count; ++i) {
        std::size_t at = 8 + (wide ? 2 * i : i);
        if (at + (wide ? 2 : 1) > d.size()) break;
        units += wide ? static_cast<char16_t>(biff::U16(&d[at])) : static_cast<char16_t>(d[at]);
      }
      name = Utf16ToUtf8(units);
    }
  }
  sheet_.AddSheetName(std::move(name));
}

// A number format: its index, then its code (a string with a 16-bit count
// in BIFF8, code-page bytes with an 8-bit count in BIFF5).
void StreamReader::ReadFormat(const Record& record) {
  if (record.data.size() < 3 || formatDates_.size() >= 65536) {
    return;
  }
  std::uint16_t index = biff::U16(&record.data[0]);
  std::string code;
  if (biff8_) {
    ContinuedData data(stream_, record);
    if (!data.Skip(2) || !ReadUnicodeString(data, code)) {
      return;
    }
  } else {
    std::size_t count = record.data[2];
    code = DecodeBytes(record.data.subspan(3, std::min(count, record.data.size() - 3)), codePage_);
  }
  formatDates_[index] = DateKindOfFormatCode(code);
}

WorkbookError StreamReader::ReadSharedStrings(ContinuedData& data) {
  std::uint32_t total = 0;
  std::uint32_t unique = 0;
  if (!data.ReadU32(total) || !data.ReadU32(unique)) {
    return WorkbookError::Corrupt;
  }
  // Each string takes at least three bytes, which bounds a lying count.
  sharedStrings_.reserve(std::min<std::size_t>(unique, stream_.size() / 3));
  for (std::uint32_t i = 0; i < unique; ++i) {
    if (data.AtEnd()) {
      break;  // some writers count more strings than they store
    }
    std::string text;
    if (!ReadUnicodeString(data, text)) {
      return WorkbookError::Corrupt;
    }
    if (sharedStrings_.size() >= sheet_.limits().maxSharedStrings) {
      return WorkbookError::TooMuchText;
    }
    if (WorkbookError error = sheet_.HoldText(text.size()); error != WorkbookError::None) {
      return error;
    }
    sharedStrings_.push_back(std::move(text));
  }
  return WorkbookError::None;
}

bool StreamReader::ReadCellString(const Record& record, std::size_t skip, std::string& out,
                                  std::size_t& next) {
  if (record.data.size() < skip) {
    return false;
  }
  if (!biff8_) {
    Bytes rest = record.data.subspan(skip);
    if (rest.size() < 2 || rest.size() - 2 < biff::U16(rest.data())) {
      return false;
    }
    out = DecodeBytes(rest.subspan(2, biff::U16(rest.data())), codePage_);
    return true;
  }
  ContinuedData data(stream_, record);
  if (!data.Skip(skip) || !ReadUnicodeString(data, out)) {
    return false;
  }
  next = data.next();
  return true;
}

WorkbookError StreamReader::ReadSheet() {
  std::optional<Record> bof = RecordAt(stream_, *sheetOffset_);
  if (!bof || bof->id != biff::kBof || bof->data.size() < 4 ||
      biff::U16(&bof->data[2]) != biff::kWorksheetSubstream) {
    return WorkbookError::Corrupt;
  }
  // Embedded charts bring their own BOF…EOF inside the sheet's records.
  int depth = 1;
  std::size_t offset = bof->next;
  while (depth > 0) {
    std::optional<Record> record = RecordAt(stream_, offset);
    if (!record) {
      return WorkbookError::Corrupt;
    }
    offset = record->next;
    if (record->id == biff::kBof) {
      ++depth;
    } else if (record->id == biff::kEof) {
      --depth;
    } else if (depth == 1) {
      if (WorkbookError error = ReadCell(*record, offset); error != WorkbookError::None) {
        return error;
      }
      if (sheet_.Satisfied()) {
        break;  // a preview has its rows
      }
    }
  }
  return WorkbookError::None;
}

WorkbookError StreamReader::ReadCell(const Record& record, std::size_t& next) {
  Bytes d = record.data;
  auto tooShort = [&](std::size_t size) { return d.size() < size; };
  switch (record.id) {
    case biff::kDimensions:
      if (biff8_ && d.size() >= 8) {
        sheet_.ExpectRows(biff::U32(&d[4]));
      } else if (!biff8_ && d.size() >= 4) {
        sheet_.ExpectRows(biff::U16(&d[2]));
      }
      return WorkbookError::None;
    case biff::kNumber:
      if (tooShort(14)) return WorkbookError::Corrupt;
      return AddNumber(biff::U16(&d[0]), biff::U16(&d[2]), biff::F64(&d[6]), biff::U16(&d[4]));
    case biff::kRk:
      if (tooShort(10)) return WorkbookError::Corrupt;
      return AddNumber(biff::U16(&d[0]), biff::U16(&d[2]), biff::DecodeRk(biff::U32(&d[6])), biff::U16(&d[4]));
    case biff::kMulRk: {
      // Row, first column, then (XF index, RK value) per cell, last column.
      if (tooShort(6) || (d.size() - 6) % 6 != 0) return WorkbookError::Corrupt;
      std::uint16_t row = biff::U16(&d[0]);
      std::uint16_t first = biff::U16(&d[2]);
      std::size_t count = (d.size() - 6) / 6;
      for (std::size_t i = 0; i < count; ++i) {
        auto column = static_cast<std::uint16_t>(first + i);
        if (column < first) return WorkbookError::Corrupt;
        double value = biff::DecodeRk(biff::U32(&d[4 + 6 * i + 2]));
        std::uint16_t xf = biff::U16(&d[4 + 6 * i]);
        if (WorkbookError error = AddNumber(row, column, value, xf); error != WorkbookError::None) {
          return error;
        }
      }
      return WorkbookError::None;
    }
    case biff::kLabelSst: {
      if (tooShort(10)) return WorkbookError::Corrupt;
      std::uint32_t index = biff::U32(&d[6]);
      if (index >= sharedStrings_.size()) return WorkbookError::Corrupt;
      return Add(biff::U16(&d[0]), biff::U16(&d[2]), sharedStrings_[index]);
    }
    case biff::kLabel:
    case biff::kRString: {
      std::string text;
      if (tooShort(6) || !ReadCellString(record, 6, text, next)) return WorkbookError::Corrupt;
      return Add(biff::U16(&d[0]), biff::U16(&d[2]), text);
    }
    case biff::kBoolErr: {
      if (tooShort(8)) return WorkbookError::Corrupt;
      std::string_view text = d[7] != 0 ? ErrorCellText(d[6]) : BooleanCellText(d[6] != 0);
      return Add(biff::U16(&d[0]), biff::U16(&d[2]), text);
    }
    case biff::kFormula: {
      // Row, column, XF, cached result (8 bytes), options, then the formula.
      if (tooShort(20)) return WorkbookError::Corrupt;
      std::uint16_t row = biff::U16(&d[0]);
      std::uint16_t column = biff::U16(&d[2]);
      pendingString_.reset();
      if (biff::U16(&d[12]) != 0xFFFF) {
        return AddNumber(row, column, biff::F64(&d[6]), biff::U16(&d[4]));
      }
      switch (d[6]) {
        case 0: pendingString_.emplace(row, column); return WorkbookError::None;
        case 1: return Add(row, column, BooleanCellText(d[8] != 0));
        case 2: return Add(row, column, ErrorCellText(d[8]));
        default: return WorkbookError::None;  // empty text
      }
    }
    case biff::kString: {
      std::string text;
      if (!ReadCellString(record, 0, text, next)) return WorkbookError::Corrupt;
      if (!pendingString_) return WorkbookError::None;
      auto [row, column] = *pendingString_;
      pendingString_.reset();
      return Add(row, column, text);
    }
    default:
      return WorkbookError::None;
  }
}

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

WorkbookError ReadFromInput(GsfInput* input, SheetCollector& sheet) {
  GError* error = nullptr;
  GObjectPtr<GsfInfile> ole(gsf_infile_msole_new(input, &error));
  g_object_unref(input);
  if (!ole) {
    g_clear_error(&error);
    return WorkbookError::Corrupt;
  }
  int workbook = -1;
  int book = -1;
  bool encrypted = false;
  int children = gsf_infile_num_children(ole.get());
  for (int i = 0; i < children; ++i) {
    const char* name = gsf_infile_name_by_index(ole.get(), i);
    if (name == nullptr) {
      continue;
    }
    if (g_ascii_strcasecmp(name, "Workbook") == 0) {
      workbook = i;
    } else if (g_ascii_strcasecmp(name, "Book") == 0) {
      book = i;
    } else if (g_ascii_strcasecmp(name, "EncryptedPackage") == 0) {
      encrypted = true;
    }
  }
  int index = workbook >= 0 ? workbook : book;
  if (index < 0) {
    return encrypted ? WorkbookError::Encrypted : WorkbookError::NotAWorkbook;
  }
  GObjectPtr<GsfInput> stream(gsf_infile_child_by_index(ole.get(), index));
  if (!stream) {
    return WorkbookError::Corrupt;
  }
  if (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0) {
    return WorkbookError::NotAWorkbook;  // a storage of that name, not a stream
  }
  // The stream is held whole while its records are read.
  gsf_off_t streamSize = gsf_input_size(stream.get());
  if (streamSize < 0) {
    return WorkbookError::Corrupt;
  }
  if (WorkbookError held = sheet.Hold(static_cast<std::size_t>(streamSize)); held != WorkbookError::None) {
    return held;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(streamSize));
  constexpr gsf_off_t kChunk = 1 << 16;
  while (gsf_input_remaining(stream.get()) > 0) {
    auto size = static_cast<std::size_t>(std::min(gsf_input_remaining(stream.get()), kChunk));
    std::size_t old = bytes.size();
    bytes.resize(old + size);
    if (gsf_input_read(stream.get(), size, bytes.data() + old) == nullptr) {
      return WorkbookError::Corrupt;
    }
  }
  return ReadWorkbookStream(bytes, sheet);
}

}  // namespace

void InitializeGsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // libgsf logs a critical message for each inconsistency of a damaged
    // compound file; the reader reports those files as Corrupt instead.
    auto quiet = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
    for (const char* domain : {"libgsf", "libgsf:msole"}) {
      g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING), quiet,
                        nullptr);
    }
  });
}

WorkbookError ReadWorkbookStream(std::span<const std::uint8_t> stream, SheetCollector& sheet) {
  StreamReader reader(stream, sheet);
  return reader.Run();
}

WorkbookError ReadXlsFile(const std::string& path, std::FILE* file, SheetCollector& sheet) {
  InitializeGsf();
  GsfInput* input = gsf_input_stdio_new_FILE(path.c_str(), file, FALSE);
  if (input == nullptr) {
    std::fclose(file);
    return WorkbookError::CannotOpen;
  }
  return ReadFromInput(input, sheet);
}

WorkbookError ReadXlsMemory(std::span<const std::byte> bytes, SheetCollector& sheet) {
  InitializeGsf();
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                         static_cast<gsf_off_t>(bytes.size()), FALSE);
  if (input == nullptr) {
    return WorkbookError::Corrupt;
  }
  return ReadFromInput(input, sheet);
}

}  // namespace kelvasta
