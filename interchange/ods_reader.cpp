#include "interchange/ods_reader.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/cell_text.h"
#include "interchange/date_text.h"
#include "interchange/read_ahead.h"
#include "interchange/worksheet_scanner.h"
#include "interchange/zip_handles.h"

namespace kelvasta {
namespace {

constexpr std::string_view kSpreadsheetType = "application/vnd.oasis.opendocument.spreadsheet";
// Bounds a repeat count so that row and column numbers never overflow.
constexpr std::int64_t kMaxRepeat = std::int64_t{1} << 40;

// Reads a small entry whole (at most `limit` bytes); nullopt when it is
// missing or cannot be read.
std::optional<std::string> ReadSmallEntry(zip_t* archive, const char* name, std::size_t limit) {
  zip_int64_t index = zip_name_locate(archive, name, 0);
  if (index < 0) {
    return std::nullopt;
  }
  ZipEntry file(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    return std::nullopt;
  }
  std::string text(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    zip_int64_t n = zip_fread(file.get(), text.data() + got, limit - got);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  text.resize(got);
  return text;
}

std::int64_t RepeatOf(std::string_view attributes, std::string_view name) {
  std::optional<std::string_view> value = FindAttribute(attributes, name);
  if (!value) {
    return 1;
  }
  std::int64_t count = 0;
  std::from_chars_result result = std::from_chars(value->data(), value->data() + value->size(), count);
  if (result.ec == std::errc::result_out_of_range) {
    return kMaxRepeat;
  }
  if (result.ec != std::errc() || count < 1) {
    return 1;
  }
  return std::min(count, kMaxRepeat);
}

std::string AttributeText(std::string_view attributes, std::string_view name) {
  std::string text;
  if (std::optional<std::string_view> value = FindAttribute(attributes, name)) {
    if (!AppendCharacterData(text, *value)) {
      text.assign(*value);
    }
  }
  return text;
}

class ContentHandler final : public MarkupHandler {
 public:
  explicit ContentHandler(SheetCollector& sheet) : sheet_(sheet) {}

  std::string* TextTarget() override {
    return inCell_ && paragraphDepth_ > 0 && annotationDepth_ == 0 ? &text_ : nullptr;
  }
  WorkbookError Start(std::string_view name, std::string_view attributes, bool selfClosing) override;
  WorkbookError End(std::string_view name) override;
  bool Done() const override { return done_; }

  bool found() const { return found_; }
  int tables() const { return tables_; }

 private:
  struct PendingCell {
    std::int64_t column;
    std::int64_t repeat;
    std::string text;
  };

  WorkbookError StartCell(std::string_view attributes);
  WorkbookError FinishCell();
  WorkbookError FinishRow();
  bool Reading() const { return tableDepth_ == 1 && reading_; }

  SheetCollector& sheet_;
  bool done_ = false;
  bool found_ = false;
  int tables_ = 0;
  int tableDepth_ = 0;
  bool reading_ = false;

  std::int64_t row_ = 1;  // the next row's number
  std::int64_t rowRepeat_ = 1;
  bool inRow_ = false;
  std::int64_t column_ = 1;  // the next cell's column
  std::vector<PendingCell> cells_;
  std::int64_t usedColumn_ = 0;  // a non-empty column of the row that is not kept

  bool inCell_ = false;
  std::int64_t cellRepeat_ = 1;
  std::string valueType_;
  std::string value_;
  bool error_ = false;
  int paragraphDepth_ = 0;
  int paragraphs_ = 0;
  int annotationDepth_ = 0;
  std::string text_;
};

WorkbookError ContentHandler::Start(std::string_view name, std::string_view attributes, bool selfClosing) {
  if (name == "table") {
    if (selfClosing) {
      // An empty table still counts.
      if (tableDepth_ == 0) {
        if (tables_ == sheet_.sheetIndex()) found_ = true;
        if (sheet_.listsNames()) sheet_.AddSheetName(AttributeText(attributes, "table:name"));
        ++tables_;
        done_ = found_ && !sheet_.listsNames();
      }
      return WorkbookError::None;
    }
    if (++tableDepth_ == 1) {
      reading_ = tables_ == sheet_.sheetIndex();
      found_ = found_ || reading_;
      if (sheet_.listsNames()) {
        std::string tableName = AttributeText(attributes, "table:name");
        if (WorkbookError error = sheet_.HoldText(tableName.size()); error != WorkbookError::None) {
          return error;
        }
        sheet_.AddSheetName(std::move(tableName));
      }
      ++tables_;
    }
    return WorkbookError::None;
  }
  if (!Reading()) {
    return WorkbookError::None;
  }
  if (name == "table-row") {
    inRow_ = true;
    rowRepeat_ = RepeatOf(attributes, "table:number-rows-repeated");
    column_ = 1;
    cells_.clear();
    usedColumn_ = 0;
    return selfClosing ? FinishRow() : WorkbookError::None;
  }
  if (!inRow_) {
    return WorkbookError::None;
  }
  if (name == "table-cell" || name == "covered-table-cell") {
    WorkbookError error = StartCell(attributes);
    return error == WorkbookError::None && selfClosing ? FinishCell() : error;
  }
  if (!inCell_) {
    return WorkbookError::None;
  }
  if (name == "annotation") {
    annotationDepth_ += selfClosing ? 0 : 1;
  } else if (annotationDepth_ > 0) {
    return WorkbookError::None;
  } else if (name == "p" || name == "h") {
    if (paragraphs_++ > 0) {
      text_ += '\n';
    }
    paragraphDepth_ += selfClosing ? 0 : 1;
  } else if (paragraphDepth_ > 0 && name == "s") {
    std::int64_t spaces = RepeatOf(attributes, "text:c");
    if (static_cast<std::uint64_t>(spaces) > sheet_.limits().maxTextBytes - std::min(text_.size(), sheet_.limits().maxTextBytes)) {
      return WorkbookError::TooMuchText;
    }
    text_.append(static_cast<std::size_t>(spaces), ' ');
  } else if (paragraphDepth_ > 0 && name == "tab") {
    text_ += '\t';
  } else if (paragraphDepth_ > 0 && name == "line-break") {
    text_ += '\n';
  }
  return WorkbookError::None;
}

WorkbookError ContentHandler::End(std::string_view name) {
  if (name == "table") {
    if (tableDepth_ > 0 && --tableDepth_ == 0) {
      if (reading_) {
        reading_ = false;
        done_ = !sheet_.listsNames();
      }
    }
    return WorkbookError::None;
  }
  if (name == "spreadsheet") {
    done_ = true;
    return WorkbookError::None;
  }
  if (!Reading()) {
    return WorkbookError::None;
  }
  if (name == "table-row") {
    return inRow_ ? FinishRow() : WorkbookError::None;
  }
  if (name == "table-cell" || name == "covered-table-cell") {
    return inCell_ ? FinishCell() : WorkbookError::None;
  }
  if (name == "annotation" && annotationDepth_ > 0) {
    --annotationDepth_;
  } else if ((name == "p" || name == "h") && paragraphDepth_ > 0 && annotationDepth_ == 0) {
    --paragraphDepth_;
  }
  return WorkbookError::None;
}

WorkbookError ContentHandler::StartCell(std::string_view attributes) {
  inCell_ = true;
  cellRepeat_ = RepeatOf(attributes, "table:number-columns-repeated");
  valueType_.clear();
  value_.clear();
  text_.clear();
  paragraphDepth_ = 0;
  paragraphs_ = 0;
  annotationDepth_ = 0;
  if (std::optional<std::string_view> type = FindAttribute(attributes, "office:value-type")) {
    valueType_.assign(*type);
  }
  std::optional<std::string_view> calcType = FindAttribute(attributes, "calcext:value-type");
  error_ = calcType && *calcType == "error";
  if (error_) {
    return WorkbookError::None;  // the error's text is in the paragraph
  }
  std::optional<std::string> date;
  if (valueType_ == "float" || valueType_ == "percentage" || valueType_ == "currency") {
    if (std::optional<std::string_view> number = FindAttribute(attributes, "office:value")) {
      value_ = IsGeneralNumberText(*number) ? std::string(*number) : NumberCellText(*number);
    }
  } else if (valueType_ == "date") {
    if (std::optional<std::string_view> iso = FindAttribute(attributes, "office:date-value"); iso && (date = IsoDateText(*iso))) {
      value_ = std::move(*date);
    }
  } else if (valueType_ == "time") {
    if (std::optional<std::string_view> duration = FindAttribute(attributes, "office:time-value");
        duration && (date = IsoDurationText(*duration))) {
      value_ = std::move(*date);
    }
  } else if (valueType_ == "boolean") {
    if (std::optional<std::string_view> flag = FindAttribute(attributes, "office:boolean-value")) {
      value_ = BooleanCellText(*flag == "true" || *flag == "1");
    }
  }
  return WorkbookError::None;
}

WorkbookError ContentHandler::FinishCell() {
  inCell_ = false;
  paragraphDepth_ = 0;
  annotationDepth_ = 0;
  std::string& text = value_.empty() ? text_ : value_;
  const std::int64_t first = column_;
  const std::int64_t repeat = cellRepeat_;
  column_ = std::min(column_ + repeat, kMaxRepeat);
  if (text.empty() || first > kMaxSheetColumn) {
    return WorkbookError::None;
  }
  const std::int64_t last = std::min(first + repeat - 1, kMaxSheetColumn);
  // Only the kept columns and the first one not kept are looked at, so a
  // cell repeated across the whole width costs what a single one does.
  if (usedColumn_ == 0) {
    std::int64_t c = first;
    while (c <= last && sheet_.Keeps(c)) ++c;
    if (c <= last) usedColumn_ = c;
  }
  if (sheet_.NextKept(first) <= last) {
    if (WorkbookError error = sheet_.HoldText(text.size()); error != WorkbookError::None) {
      return error;
    }
    cells_.push_back(PendingCell{first, last - first + 1, std::move(text)});
  }
  text_.clear();
  value_.clear();
  return WorkbookError::None;
}

WorkbookError ContentHandler::FinishRow() {
  inRow_ = false;
  const std::int64_t first = row_;
  row_ = std::min(row_ + rowRepeat_, kMaxRepeat);
  if (cells_.empty() && usedColumn_ == 0) {
    return WorkbookError::None;  // empty rows, however many
  }
  for (std::int64_t r = first; r < first + rowRepeat_; ++r) {
    if (r > kMaxSheetRow) {
      return WorkbookError::TooManyRows;
    }
    for (const PendingCell& cell : cells_) {
      const std::int64_t end = std::min(cell.column + cell.repeat, sheet_.keptColumnSpan() + 1);
      for (std::int64_t c = sheet_.NextKept(cell.column); c < end; c = sheet_.NextKept(c + 1)) {
        if (WorkbookError error = sheet_.Add(r, c, cell.text); error != WorkbookError::None) {
          return error;
        }
      }
    }
    if (usedColumn_ != 0) {
      if (WorkbookError error = sheet_.MarkUsed(r, usedColumn_); error != WorkbookError::None) {
        return error;
      }
    }
    if (sheet_.Satisfied()) {
      done_ = true;
      break;
    }
  }
  cells_.clear();
  return WorkbookError::None;
}

}  // namespace

bool IsOpenDocument(zip* archive) {
  if (std::optional<std::string> type = ReadSmallEntry(archive, "mimetype", 128)) {
    return type->rfind("application/vnd.oasis.opendocument.", 0) == 0;
  }
  return zip_name_locate(archive, "content.xml", 0) >= 0 &&
         zip_name_locate(archive, "[Content_Types].xml", ZIP_FL_NOCASE) < 0;
}

WorkbookError ReadOdsArchive(zip* archive, SheetCollector& sheet) {
  ZipArchive owner(archive);
  if (std::optional<std::string> type = ReadSmallEntry(archive, "mimetype", 128);
      type && type->rfind(kSpreadsheetType, 0) != 0) {
    return WorkbookError::NotAWorkbook;  // a text document, a drawing, ...
  }
  // A password-protected document lists the encryption of its parts in the manifest.
  if (std::optional<std::string> manifest = ReadSmallEntry(archive, "META-INF/manifest.xml", std::size_t{1} << 20);
      manifest && manifest->find("encryption-data") != std::string::npos) {
    return WorkbookError::Encrypted;
  }
  zip_int64_t index = zip_name_locate(archive, "content.xml", 0);
  if (index < 0) {
    return WorkbookError::Corrupt;
  }
  ZipEntry file(zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    int code = zip_error_code_zip(zip_get_error(archive));
    return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD ? WorkbookError::Encrypted : WorkbookError::Corrupt;
  }
  zip_file_t* entry = file.get();
  ReadAhead inflated([entry](char* buffer, std::size_t size) -> std::int64_t { return zip_fread(entry, buffer, size); });
  ByteSource source = AsUtf8([&inflated](char* buffer, std::size_t size) { return inflated.Read(buffer, size); });
  ContentHandler handler(sheet);
  WorkbookError error = ScanMarkup(source, sheet.limits().maxTextBytes, handler);
  if (error != WorkbookError::None) {
    return error;
  }
  if (!handler.found()) {
    return handler.tables() == 0 ? WorkbookError::Corrupt : WorkbookError::NotAWorkbook;
  }
  return WorkbookError::None;
}

}  // namespace kelvasta
