#include "interchange/worksheet_scanner.h"

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "interchange/cell_text.h"

namespace kelvasta {
namespace {

constexpr std::size_t kInitialBuffer = std::size_t{1} << 18;
// A tag, comment or collected text longer than this is not a worksheet.
constexpr std::size_t kMaxToken = std::size_t{64} << 20;
constexpr std::size_t kIncomplete = 0;
constexpr std::size_t kMalformed = static_cast<std::size_t>(-1);

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view LocalName(std::string_view name) {
  std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The raw value of attribute `wanted` in the attribute part of a start tag.
std::optional<std::string_view> FindAttribute(std::string_view attributes, std::string_view wanted) {
  std::size_t at = 0;
  while (at < attributes.size()) {
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    std::size_t nameStart = at;
    while (at < attributes.size() && attributes[at] != '=' && !IsSpace(attributes[at])) ++at;
    std::string_view name = attributes.substr(nameStart, at - nameStart);
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    if (at >= attributes.size() || attributes[at] != '=') {
      return std::nullopt;
    }
    ++at;
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    if (at >= attributes.size() || (attributes[at] != '"' && attributes[at] != '\'')) {
      return std::nullopt;
    }
    char quote = attributes[at++];
    std::size_t close = attributes.find(quote, at);
    if (close == std::string_view::npos) {
      return std::nullopt;
    }
    if (name == wanted) {
      return attributes.substr(at, close - at);
    }
    at = close + 1;
  }
  return std::nullopt;
}

// Appends XML character data, decoding references and normalising line ends
// as an XML parser does. False for a malformed reference.
bool AppendCharacterData(std::string& out, std::string_view text) {
  if (text.find_first_of("&\r") == std::string_view::npos) {
    out.append(text);
    return true;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    char c = text[at];
    if (c == '\r') {
      out += '\n';
      at += (at + 1 < text.size() && text[at + 1] == '\n') ? 2 : 1;
      continue;
    }
    if (c != '&') {
      out += c;
      ++at;
      continue;
    }
    std::size_t semicolon = text.find(';', at);
    if (semicolon == std::string_view::npos || semicolon - at > 12) {
      return false;
    }
    std::string_view name = text.substr(at + 1, semicolon - at - 1);
    at = semicolon + 1;
    if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "amp") {
      out += '&';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() >= 2 && name[0] == '#') {
      bool hex = name[1] == 'x';
      std::string_view digits = name.substr(hex ? 2 : 1);
      std::uint32_t code = 0;
      std::from_chars_result result =
          std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
          code == 0 || code > 0x10FFFF) {
        return false;
      }
      AppendUtf8(out, code);
    } else {
      return false;
    }
  }
  return true;
}

// The t attribute of a cell.
enum class CellType { Number, Shared, Inline, FormulaText, Boolean, Error, Date, Other };

CellType CellTypeOf(std::string_view t) {
  if (t == "n") return CellType::Number;
  if (t == "s") return CellType::Shared;
  if (t == "inlineStr") return CellType::Inline;
  if (t == "str") return CellType::FormulaText;
  if (t == "b") return CellType::Boolean;
  if (t == "e") return CellType::Error;
  if (t == "d") return CellType::Date;
  return CellType::Other;
}

class Scanner {
 public:
  Scanner(const ByteSource& source, const std::vector<std::string>& sharedStrings, bool date1904,
          SheetCollector& sheet)
      : source_(source), sharedStrings_(sharedStrings), date1904_(date1904), sheet_(sheet) {}

  WorkbookError Run();

 private:
  bool Refill();
  std::size_t MarkupLength() const;
  WorkbookError HandleMarkup(std::string_view markup);
  WorkbookError HandleStart(std::string_view name, std::string_view attributes, bool selfClosing);
  WorkbookError HandleEnd(std::string_view name);
  WorkbookError StartCell(std::string_view attributes);
  WorkbookError FinishCell();
  bool Collecting() const { return inValue_ || (inInlineText_ && !inPhonetic_); }
  std::string& Target() { return inValue_ ? value_ : inline_; }

  const ByteSource& source_;
  const std::vector<std::string>& sharedStrings_;
  bool date1904_;
  SheetCollector& sheet_;

  std::vector<char> buffer_ = std::vector<char>(kInitialBuffer);
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;

  bool inSheetData_ = false;
  bool done_ = false;
  std::int64_t row_ = 0;
  std::int64_t column_ = 0;
  bool inCell_ = false;
  std::int64_t cellRow_ = 0;
  std::int64_t cellColumn_ = 0;
  CellType type_ = CellType::Number;
  bool hasValue_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
  bool inInlineText_ = false;
  bool inPhonetic_ = false;
  std::string value_;
  std::string inline_;
  std::string converted_;
};

// Moves the unread bytes [pos_, end_) to the front and reads more after
// them, growing the buffer when they fill it. False at the end of the part,
// on a read error and for a token longer than kMaxToken: all of them leave a
// token or the sheet unfinished, which the caller reports as Corrupt.
bool Scanner::Refill() {
  if (atEnd_) {
    return false;
  }
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == buffer_.size()) {
    if (buffer_.size() >= kMaxToken) {
      atEnd_ = true;
      return false;
    }
    buffer_.resize(buffer_.size() * 2);
  }
  std::int64_t got = source_(buffer_.data() + end_, buffer_.size() - end_);
  if (got <= 0) {  // the end, or a part that cannot be inflated
    atEnd_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

// Length of the markup starting with '<' at pos_, kIncomplete when the
// buffer ends inside it, kMalformed when it is not allowed here.
std::size_t Scanner::MarkupLength() const {
  const char* p = buffer_.data() + pos_;
  std::string_view available(p, end_ - pos_);
  auto through = [&](std::size_t from, std::string_view terminator) {
    std::size_t found = available.find(terminator, from);
    return found == std::string_view::npos ? kIncomplete : found + terminator.size();
  };
  if (available.size() < 2) {
    return kIncomplete;
  }
  if (p[1] == '?') {
    return through(2, "?>");
  }
  if (p[1] == '!') {
    if (available.size() < 4) {
      return kIncomplete;
    }
    if (available.substr(0, 4) == "<!--") {
      return through(4, "-->");
    }
    if (available.size() < 9) {
      return kIncomplete;
    }
    if (available.substr(0, 9) == "<![CDATA[") {
      return through(9, "]]>");
    }
    return kMalformed;  // document type declarations have no place in a worksheet
  }
  for (std::size_t i = 1; i < available.size(); ++i) {
    char c = available[i];
    if (c == '>') {
      return i + 1;
    }
    if (c == '"' || c == '\'') {
      std::size_t close = available.find(c, i + 1);
      if (close == std::string_view::npos) {
        return kIncomplete;
      }
      i = close;
    } else if (c == '<') {
      return kMalformed;
    }
  }
  return kIncomplete;
}

WorkbookError Scanner::Run() {
  if (!Refill()) {
    return WorkbookError::Corrupt;
  }
  if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) {
    pos_ = 3;
  }
  for (;;) {
    // Character data up to the next '<'; kept only inside <v> and <is><t>.
    std::size_t scanned = 0;
    std::size_t textEnd = 0;
    for (;;) {
      const void* lt = std::memchr(buffer_.data() + pos_ + scanned, '<', end_ - pos_ - scanned);
      if (lt != nullptr) {
        textEnd = static_cast<std::size_t>(static_cast<const char*>(lt) - buffer_.data());
        break;
      }
      if (Collecting()) {
        scanned = end_ - pos_;
      } else {
        pos_ = end_;
      }
      if (!Refill()) {
        return WorkbookError::Corrupt;
      }
    }
    if (Collecting() && textEnd > pos_) {
      if (!AppendCharacterData(Target(), std::string_view(buffer_.data() + pos_, textEnd - pos_))) {
        return WorkbookError::Corrupt;
      }
    }
    pos_ = textEnd;

    std::size_t length = MarkupLength();
    while (length == kIncomplete) {
      if (!Refill()) {
        return WorkbookError::Corrupt;
      }
      length = MarkupLength();
    }
    if (length == kMalformed) {
      return WorkbookError::Corrupt;
    }
    WorkbookError error = HandleMarkup(std::string_view(buffer_.data() + pos_, length));
    pos_ += length;
    if (error != WorkbookError::None) {
      return error;
    }
    if (done_) {
      return WorkbookError::None;
    }
  }
}

WorkbookError Scanner::HandleMarkup(std::string_view markup) {
  if (markup[1] == '?' || markup.substr(0, 4) == "<!--") {
    return WorkbookError::None;
  }
  if (markup[1] == '!') {  // CDATA
    if (Collecting()) {
      Target().append(markup.substr(9, markup.size() - 12));
    }
    return WorkbookError::None;
  }
  if (markup[1] == '/') {
    std::string_view name = Trim(markup.substr(2, markup.size() - 3));
    return HandleEnd(LocalName(name));
  }
  bool selfClosing = markup[markup.size() - 2] == '/';
  std::string_view inner = markup.substr(1, markup.size() - (selfClosing ? 3 : 2));
  std::size_t nameEnd = 0;
  while (nameEnd < inner.size() && !IsSpace(inner[nameEnd])) ++nameEnd;
  return HandleStart(LocalName(inner.substr(0, nameEnd)), inner.substr(nameEnd), selfClosing);
}

WorkbookError Scanner::HandleStart(std::string_view name, std::string_view attributes,
                                   bool selfClosing) {
  if (!inSheetData_) {
    if (name == "sheetData") {
      inSheetData_ = true;
      done_ = selfClosing;
    } else if (name == "dimension") {
      std::optional<std::string_view> ref = FindAttribute(attributes, "ref");
      if (ref) {
        std::string_view last = *ref;
        if (std::size_t colon = last.find(':'); colon != std::string_view::npos) {
          last.remove_prefix(colon + 1);
        }
        std::int64_t column = 0;
        std::int64_t row = 0;
        if (ParseCellReference(last, column, row)) {
          sheet_.ExpectRows(row);
        }
      }
    }
    return WorkbookError::None;
  }
  if (name == "row") {
    std::optional<std::string_view> r = FindAttribute(attributes, "r");
    if (r) {
      std::string_view digits = Trim(*r);
      std::int64_t row = 0;
      std::from_chars_result result = std::from_chars(digits.data(), digits.data() + digits.size(), row);
      if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
          row < 1 || row > kMaxSheetRow) {
        return WorkbookError::Corrupt;
      }
      row_ = row;
    } else {
      ++row_;
    }
    column_ = 0;
    return WorkbookError::None;
  }
  if (name == "c") {
    WorkbookError error = StartCell(attributes);
    if (error == WorkbookError::None && selfClosing) {
      error = FinishCell();
    }
    return error;
  }
  if (!inCell_ || selfClosing) {
    if (inCell_ && name == "v") {
      hasValue_ = true;
    }
    return WorkbookError::None;
  }
  if (name == "v") {
    inValue_ = true;
    hasValue_ = true;
  } else if (name == "is") {
    inInline_ = true;
    hasValue_ = true;
  } else if (name == "t") {
    inInlineText_ = inInline_;
  } else if (name == "rPh") {
    inPhonetic_ = true;
  }
  return WorkbookError::None;
}

WorkbookError Scanner::HandleEnd(std::string_view name) {
  if (!inSheetData_) {
    return WorkbookError::None;
  }
  if (name == "sheetData") {
    done_ = true;
  } else if (name == "c") {
    return inCell_ ? FinishCell() : WorkbookError::None;
  } else if (name == "v") {
    inValue_ = false;
  } else if (name == "is") {
    inInline_ = false;
    inInlineText_ = false;
  } else if (name == "t") {
    inInlineText_ = false;
  } else if (name == "rPh") {
    inPhonetic_ = false;
  }
  return WorkbookError::None;
}

WorkbookError Scanner::StartCell(std::string_view attributes) {
  std::int64_t column = column_ + 1;
  std::int64_t row = row_;
  if (std::optional<std::string_view> r = FindAttribute(attributes, "r")) {
    std::int64_t referencedRow = 0;
    if (!ParseCellReference(Trim(*r), column, referencedRow)) {
      return WorkbookError::Corrupt;
    }
    if (referencedRow != 0) {
      row = referencedRow;
      row_ = referencedRow;
    }
  }
  if (row < 1 || column > kMaxSheetColumn) {
    return WorkbookError::Corrupt;
  }
  column_ = column;
  cellRow_ = row;
  cellColumn_ = column;
  std::optional<std::string_view> t = FindAttribute(attributes, "t");
  type_ = t ? CellTypeOf(Trim(*t)) : CellType::Number;
  inCell_ = true;
  hasValue_ = false;
  inValue_ = false;
  inInline_ = false;
  inInlineText_ = false;
  inPhonetic_ = false;
  value_.clear();
  inline_.clear();
  return WorkbookError::None;
}

WorkbookError Scanner::FinishCell() {
  inCell_ = false;
  inValue_ = false;
  inInline_ = false;
  inInlineText_ = false;
  inPhonetic_ = false;
  if (!hasValue_) {
    return WorkbookError::None;
  }
  const bool keeps = sheet_.Keeps(cellColumn_);
  std::string_view text;
  switch (type_) {
    case CellType::Number:
      if (value_.empty()) {
        return WorkbookError::None;
      }
      if (!keeps) {
        return sheet_.MarkUsed(cellRow_, cellColumn_);
      }
      if (IsGeneralNumberText(value_)) {
        text = value_;
      } else {
        converted_ = NumberCellText(value_);
        text = converted_;
      }
      break;
    case CellType::Shared: {
      std::string_view digits = Trim(value_);
      if (digits.empty()) {
        return WorkbookError::None;
      }
      std::size_t index = 0;
      std::from_chars_result result = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
          index >= sharedStrings_.size()) {
        return WorkbookError::Corrupt;
      }
      text = sharedStrings_[index];
      break;
    }
    case CellType::Inline:
      DecodeOoxmlEscapes(inline_);
      text = inline_.empty() ? std::string_view(value_) : std::string_view(inline_);
      break;
    case CellType::Boolean: {
      std::string_view flag = Trim(value_);
      if (flag.empty()) {
        return WorkbookError::None;
      }
      text = BooleanCellText(flag == "1" || flag == "true");
      break;
    }
    case CellType::Date:
      if (std::optional<double> serial = IsoDateToSerial(Trim(value_), date1904_)) {
        converted_ = NumberCellText(*serial);
        text = converted_;
      } else {
        text = value_;
      }
      break;
    case CellType::FormulaText:
    case CellType::Error:
    case CellType::Other:
      text = value_;  // formula text and error values as stored; unknown types too
      break;
  }
  return sheet_.Add(cellRow_, cellColumn_, text);
}

}  // namespace

bool ParseCellReference(std::string_view reference, std::int64_t& column, std::int64_t& row) {
  std::size_t at = 0;
  std::int64_t letters = 0;
  while (at < reference.size() && at < 4) {
    char c = reference[at];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    if (c < 'A' || c > 'Z') {
      break;
    }
    letters = letters * 26 + (c - 'A' + 1);
    ++at;
  }
  if (at == 0 || letters > kMaxSheetColumn) {
    return false;
  }
  std::int64_t number = 0;
  std::string_view digits = reference.substr(at);
  if (!digits.empty()) {
    std::from_chars_result result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
        number < 1 || number > kMaxSheetRow) {
      return false;
    }
  }
  column = letters;
  row = number;
  return true;
}

WorkbookError ScanWorksheet(const ByteSource& source, const std::vector<std::string>& sharedStrings,
                            bool date1904, SheetCollector& sheet) {
  Scanner scanner(source, sharedStrings, date1904, sheet);
  return scanner.Run();
}

}  // namespace kelvasta
