#include "interchange/worksheet_scanner.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <charconv>
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "interchange/cell_text.h"

namespace kelvasta {
namespace {

constexpr std::size_t kInitialBuffer = std::size_t{1} << 18;
// A tag or comment longer than this is not a worksheet. (Kept text leaves
// the buffer as it comes and is bounded by ReadLimits::maxTextBytes.)
constexpr std::size_t kMaxToken = std::size_t{64} << 20;
constexpr std::size_t kIncomplete = 0;
constexpr std::size_t kMalformed = static_cast<std::size_t>(-1);

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view LocalName(std::string_view name) {
  for (std::size_t at = name.size(); at > 0; --at) {
    if (name[at - 1] == ':') {
      return name.substr(at);
    }
  }
  return name;
}

// a == b, compared inline: element and attribute names are a few bytes,
// and a worksheet compares millions of them.
bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      return false;
    }
  }
  return true;
}

template <std::size_t N>
bool Named(std::string_view name, const char (&wanted)[N]) {
  return SameText(name, std::string_view(wanted, N - 1));
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The t attribute of a cell.
enum class CellType { Number, Shared, Inline, FormulaText, Boolean, Error, Date, Other };

CellType CellTypeOf(std::string_view t) {
  if (Named(t, "n")) return CellType::Number;
  if (Named(t, "s")) return CellType::Shared;
  if (Named(t, "inlineStr")) return CellType::Inline;
  if (Named(t, "str")) return CellType::FormulaText;
  if (Named(t, "b")) return CellType::Boolean;
  if (Named(t, "e")) return CellType::Error;
  if (Named(t, "d")) return CellType::Date;
  return CellType::Other;
}

// The first `c` in [from, to), or nullptr. Most texts and tags of a sheet
// are a few bytes long, too short to pay for a call to memchr.
const char* FindByte(const char* from, const char* to, char c) {
  const char* near = from + std::min<std::ptrdiff_t>(to - from, 16);
  for (; from < near; ++from) {
    if (*from == c) {
      return from;
    }
  }
  return from < to ? static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(to - from))) : nullptr;
}

// Hands each attribute's name and raw value to visit(name, value), in
// order, while it returns true; stops at the first malformed attribute.
template <typename Visit>
void ForEachAttribute(std::string_view attributes, Visit visit) {
  std::size_t at = 0;
  while (at < attributes.size()) {
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    std::size_t nameStart = at;
    while (at < attributes.size() && attributes[at] != '=' && !IsSpace(attributes[at])) ++at;
    std::string_view name = attributes.substr(nameStart, at - nameStart);
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    if (at >= attributes.size() || attributes[at] != '=') {
      return;
    }
    ++at;
    while (at < attributes.size() && IsSpace(attributes[at])) ++at;
    if (at >= attributes.size() || (attributes[at] != '"' && attributes[at] != '\'')) {
      return;
    }
    char quote = attributes[at++];
    const char* found = FindByte(attributes.data() + at, attributes.data() + attributes.size(), quote);
    if (found == nullptr) {
      return;
    }
    std::size_t close = static_cast<std::size_t>(found - attributes.data());
    if (!visit(name, attributes.substr(at, close - at))) {
      return;
    }
    at = close + 1;
  }
}

// The length of the tag `p` starts (p[0] is '<') when it is plain: no '<'
// and no apostrophe before its first '>', and the double quotes before it
// paired, so that '>' is outside every value and ends the tag. 0 for any
// other tag, and for one the `size` bytes do not finish, which the full
// walk then judges. Sixteen bytes at a time where SSE2 is there, as a
// worksheet has millions of tags.
std::size_t PlainTagLength(const char* p, std::size_t size) {
  std::size_t at = 1;
  bool odd = false;  // an odd number of double quotes so far
#if defined(__SSE2__)
  const __m128i gtByte = _mm_set1_epi8('>');
  const __m128i quoteByte = _mm_set1_epi8('"');
  const __m128i apostropheByte = _mm_set1_epi8('\'');
  const __m128i ltByte = _mm_set1_epi8('<');
  for (; at + 16 <= size; at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    const auto gt = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, gtByte)));
    const auto quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, quoteByte)));
    const auto stray = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, apostropheByte), _mm_cmpeq_epi8(block, ltByte))));
    const unsigned before = gt != 0 ? (gt & (~gt + 1)) - 1 : 0xFFFFu;  // the bytes before the first '>'
    if ((stray & before) != 0) {
      return 0;
    }
    odd ^= __builtin_parity(quotes & before) != 0;
    if (gt != 0) {
      return odd ? 0 : at + static_cast<std::size_t>(__builtin_ctz(gt)) + 1;
    }
  }
#endif
  for (; at < size; ++at) {
    const char c = p[at];
    if (c == '>') {
      return odd ? 0 : at + 1;
    }
    if (c == '\'' || c == '<') {
      return 0;
    }
    odd ^= c == '"';
  }
  return 0;
}

// A row number of a reference or an r attribute: decimal digits only, 1 to
// kMaxSheetRow.
bool ParseRowNumber(std::string_view digits, std::int64_t& row) {
  if (digits.empty()) {
    return false;
  }
  std::size_t at = 0;
  while (at + 1 < digits.size() && digits[at] == '0') ++at;
  if (digits.size() - at > 7) {  // kMaxSheetRow has 7 digits
    return false;
  }
  std::int64_t number = 0;
  for (; at < digits.size(); ++at) {
    if (digits[at] < '0' || digits[at] > '9') {
      return false;
    }
    number = number * 10 + (digits[at] - '0');
  }
  if (number < 1 || number > kMaxSheetRow) {
    return false;
  }
  row = number;
  return true;
}

// Splits a part into markup and character data, one buffer at a time.
class Tokenizer {
 public:
  Tokenizer(const ByteSource& source, std::size_t maxTextBytes)
      : source_(source), maxTextBytes_(maxTextBytes) {}

  // Feeds the part to `handler` until it is done; a part that ends first is
  // Corrupt, a kept text longer than maxTextBytes TooMuchText.
  // A template over the handler, so that calls to a final handler class are
  // direct: a worksheet makes millions of them.
  template <typename Handler>
  WorkbookError Run(Handler& handler);

 private:
  bool Refill();
  std::size_t MarkupLength() const;
  template <typename Handler>
  WorkbookError HandleMarkup(std::string_view markup, Handler& handler);
  WorkbookError CheckLength(const std::string& text) const {
    return text.size() > maxTextBytes_ ? WorkbookError::TooMuchText : WorkbookError::None;
  }

  const ByteSource& source_;
  std::size_t maxTextBytes_;
  std::vector<char> buffer_ = std::vector<char>(kInitialBuffer);
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
};

class WorksheetHandler final : public MarkupHandler {
 public:
  WorksheetHandler(const std::vector<std::string>& sharedStrings, const std::vector<DateKind>& styleDates,
                   bool date1904, SheetCollector& sheet)
      : sharedStrings_(sharedStrings), styleDates_(styleDates), date1904_(date1904), sheet_(sheet) {}

  std::string* TextTarget() override {
    if (inValue_) return &value_;
    if (inInlineText_ && !inPhonetic_) return &inline_;
    return nullptr;
  }
  WorkbookError Start(std::string_view name, std::string_view attributes, bool selfClosing) override;
  WorkbookError End(std::string_view name) override;
  bool Done() const override { return done_ || sheet_.Satisfied(); }

 private:
  WorkbookError StartCell(std::string_view attributes);
  WorkbookError FinishCell();

  const std::vector<std::string>& sharedStrings_;
  const std::vector<DateKind>& styleDates_;
  bool date1904_;
  SheetCollector& sheet_;

  bool inSheetData_ = false;
  bool done_ = false;
  std::int64_t row_ = 0;
  std::int64_t column_ = 0;
  bool inCell_ = false;
  std::int64_t cellRow_ = 0;
  std::int64_t cellColumn_ = 0;
  CellType type_ = CellType::Number;
  DateKind dateKind_ = DateKind::None;
  bool hasValue_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
  bool inInlineText_ = false;
  bool inPhonetic_ = false;
  std::string value_;
  std::string inline_;
  std::string converted_;
};

// <sst><si> items: the <t> texts of an item joined, phonetic <rPh> left out.
class SharedStringsHandler final : public MarkupHandler {
 public:
  SharedStringsHandler(SheetCollector& sheet, std::vector<std::string>& out) : sheet_(sheet), out_(out) {}

  std::string* TextTarget() override { return inItem_ && textDepth_ > 0 && phoneticDepth_ == 0 ? &item_ : nullptr; }
  WorkbookError Start(std::string_view name, std::string_view, bool selfClosing) override {
    if (name == "sst") {
      done_ = selfClosing;
    } else if (name == "si") {
      item_.clear();
      inItem_ = true;
      textDepth_ = 0;
      phoneticDepth_ = 0;
      return selfClosing ? FinishItem() : WorkbookError::None;
    } else if (!selfClosing && name == "t") {
      ++textDepth_;
    } else if (!selfClosing && name == "rPh") {
      ++phoneticDepth_;
    }
    return WorkbookError::None;
  }
  WorkbookError End(std::string_view name) override {
    if (name == "sst") {
      done_ = true;
    } else if (name == "si") {
      return inItem_ ? FinishItem() : WorkbookError::None;
    } else if (name == "t" && textDepth_ > 0) {
      --textDepth_;
    } else if (name == "rPh" && phoneticDepth_ > 0) {
      --phoneticDepth_;
    }
    return WorkbookError::None;
  }
  bool Done() const override { return done_; }

 private:
  WorkbookError FinishItem() {
    inItem_ = false;
    if (out_.size() >= sheet_.limits().maxSharedStrings) {
      return WorkbookError::TooMuchText;
    }
    DecodeOoxmlEscapes(item_);
    if (WorkbookError error = sheet_.HoldText(item_.size()); error != WorkbookError::None) {
      return error;
    }
    out_.push_back(item_);
    return WorkbookError::None;
  }

  SheetCollector& sheet_;
  std::vector<std::string>& out_;
  std::string item_;
  bool inItem_ = false;
  int textDepth_ = 0;
  int phoneticDepth_ = 0;
  bool done_ = false;
};

// <styleSheet>: the custom <numFmts> first, then each <xf> of <cellXfs>.
class StyleDatesHandler final : public MarkupHandler {
 public:
  explicit StyleDatesHandler(std::vector<DateKind>& out) : out_(out) {}

  std::string* TextTarget() override { return nullptr; }
  WorkbookError Start(std::string_view name, std::string_view attributes, bool selfClosing) override {
    if (name == "styleSheet") {
      done_ = selfClosing;
    } else if (name == "numFmt") {
      std::optional<std::string_view> id = FindAttribute(attributes, "numFmtId");
      std::optional<std::string_view> code = FindAttribute(attributes, "formatCode");
      int number = 0;
      if (id && code && ParseId(*id, number)) {
        std::string decoded;
        if (custom_.size() >= kMaxStyles) {
          return WorkbookError::TooMuchText;
        }
        if (AppendCharacterData(decoded, *code)) {
          custom_.insert_or_assign(number, DateKindOfFormatCode(decoded));
        }
      }
    } else if (name == "cellXfs") {
      inCellXfs_ = !selfClosing;
    } else if (inCellXfs_ && name == "xf") {
      if (out_.size() >= kMaxStyles) {
        return WorkbookError::TooMuchText;
      }
      int number = 0;
      std::optional<std::string_view> id = FindAttribute(attributes, "numFmtId");
      DateKind kind = DateKind::None;
      if (id && ParseId(*id, number)) {
        kind = DateKindOfBuiltInFormat(number);
        if (auto custom = custom_.find(number); custom != custom_.end()) {
          kind = custom->second;
        }
      }
      out_.push_back(kind);
    }
    return WorkbookError::None;
  }
  WorkbookError End(std::string_view name) override {
    if (name == "cellXfs") {
      inCellXfs_ = false;
      done_ = true;  // the formats come before the cell styles
    } else if (name == "styleSheet") {
      done_ = true;
    }
    return WorkbookError::None;
  }
  bool Done() const override { return done_; }

 private:
  static constexpr std::size_t kMaxStyles = 1 << 20;
  static bool ParseId(std::string_view text, int& number) {
    text = Trim(text);
    std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), number);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
  }

  std::vector<DateKind>& out_;
  std::unordered_map<int, DateKind> custom_;
  bool inCellXfs_ = false;
  bool done_ = false;
};

// Moves the unread bytes [pos_, end_) to the front and reads more after
// them, growing the buffer when they fill it. False at the end of the part,
// on a read error and for a token longer than kMaxToken: all of them leave a
// token or the sheet unfinished, which the caller reports as Corrupt.
bool Tokenizer::Refill() {
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
std::size_t Tokenizer::MarkupLength() const {
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
  if (std::size_t plain = PlainTagLength(p, available.size()); plain != 0) {
    return plain;
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

template <typename Handler>
WorkbookError Tokenizer::Run(Handler& handler) {
  if (!Refill()) {
    return WorkbookError::Corrupt;
  }
  if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) {
    pos_ = 3;
  }
  for (;;) {
    // Character data up to the next '<'; kept only where the handler asks,
    // and then taken out of the buffer as it comes, so that a long text is
    // measured against its limit rather than held whole first.
    std::size_t textEnd = 0;
    for (;;) {
      const char* lt = FindByte(buffer_.data() + pos_, buffer_.data() + end_, '<');
      textEnd = lt != nullptr ? static_cast<std::size_t>(lt - buffer_.data()) : end_;
      if (lt == nullptr && textEnd > pos_) {
        // Leaves a reference or a "\r\n" the buffer cuts in two for the next round.
        std::string_view tail(buffer_.data() + pos_, end_ - pos_);
        std::size_t amp = tail.rfind('&');
        if (amp != std::string_view::npos && tail.find(';', amp) == std::string_view::npos &&
            tail.size() - amp <= 12) {
          textEnd = pos_ + amp;
        } else if (tail.back() == '\r') {
          textEnd = end_ - 1;
        }
      }
      if (std::string* target = handler.TextTarget(); target != nullptr && textEnd > pos_) {
        if (!AppendCharacterData(*target, std::string_view(buffer_.data() + pos_, textEnd - pos_))) {
          return WorkbookError::Corrupt;
        }
        if (WorkbookError error = CheckLength(*target); error != WorkbookError::None) {
          return error;
        }
      }
      pos_ = textEnd;
      if (lt != nullptr) {
        break;
      }
      if (!Refill()) {
        return WorkbookError::Corrupt;
      }
    }

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
    WorkbookError error = HandleMarkup(std::string_view(buffer_.data() + pos_, length), handler);
    pos_ += length;
    if (error != WorkbookError::None) {
      return error;
    }
    if (handler.Done()) {
      return WorkbookError::None;
    }
  }
}

template <typename Handler>
WorkbookError Tokenizer::HandleMarkup(std::string_view markup, Handler& handler) {
  if (markup[1] == '?' || (markup[1] == '!' && markup.substr(0, 4) == "<!--")) {
    return WorkbookError::None;
  }
  if (markup[1] == '!') {  // CDATA
    if (std::string* target = handler.TextTarget()) {
      target->append(markup.substr(9, markup.size() - 12));
      return CheckLength(*target);
    }
    return WorkbookError::None;
  }
  if (markup[1] == '/') {
    std::string_view name = Trim(markup.substr(2, markup.size() - 3));
    return handler.End(LocalName(name));
  }
  bool selfClosing = markup[markup.size() - 2] == '/';
  std::string_view inner = markup.substr(1, markup.size() - (selfClosing ? 3 : 2));
  std::size_t nameEnd = 0;
  while (nameEnd < inner.size() && !IsSpace(inner[nameEnd])) ++nameEnd;
  return handler.Start(LocalName(inner.substr(0, nameEnd)), inner.substr(nameEnd), selfClosing);
}

WorkbookError WorksheetHandler::Start(std::string_view name, std::string_view attributes,
                                      bool selfClosing) {
  if (!inSheetData_) {
    if (Named(name, "sheetData")) {
      inSheetData_ = true;
      done_ = selfClosing;
    } else if (Named(name, "dimension")) {
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
  if (Named(name, "row")) {
    std::optional<std::string_view> r = FindAttribute(attributes, "r");
    if (r) {
      if (!ParseRowNumber(Trim(*r), row_)) {
        return WorkbookError::Corrupt;
      }
    } else {
      ++row_;
    }
    column_ = 0;
    return WorkbookError::None;
  }
  if (Named(name, "c")) {
    WorkbookError error = StartCell(attributes);
    if (error == WorkbookError::None && selfClosing) {
      error = FinishCell();
    }
    return error;
  }
  if (!inCell_ || selfClosing) {
    if (inCell_ && Named(name, "v")) {
      hasValue_ = true;
    }
    return WorkbookError::None;
  }
  if (Named(name, "v")) {
    inValue_ = true;
    hasValue_ = true;
  } else if (Named(name, "is")) {
    inInline_ = true;
    hasValue_ = true;
  } else if (Named(name, "t")) {
    inInlineText_ = inInline_;
  } else if (Named(name, "rPh")) {
    inPhonetic_ = true;
  }
  return WorkbookError::None;
}

WorkbookError WorksheetHandler::End(std::string_view name) {
  if (!inSheetData_) {
    return WorkbookError::None;
  }
  if (Named(name, "sheetData")) {
    done_ = true;
  } else if (Named(name, "c")) {
    return inCell_ ? FinishCell() : WorkbookError::None;
  } else if (Named(name, "v")) {
    inValue_ = false;
  } else if (Named(name, "is")) {
    inInline_ = false;
    inInlineText_ = false;
  } else if (Named(name, "t")) {
    inInlineText_ = false;
  } else if (Named(name, "rPh")) {
    inPhonetic_ = false;
  }
  return WorkbookError::None;
}

WorkbookError WorksheetHandler::StartCell(std::string_view attributes) {
  std::int64_t column = column_ + 1;
  std::int64_t row = row_;
  // One walk over the attributes for the three a cell may have.
  std::optional<std::string_view> r;
  std::optional<std::string_view> t;
  std::optional<std::string_view> style;
  ForEachAttribute(attributes, [&](std::string_view name, std::string_view value) {
    if (!r && Named(name, "r")) {
      r = value;
    } else if (!t && Named(name, "t")) {
      t = value;
    } else if (!style && Named(name, "s")) {
      style = value;
    }
    return !(r && t && style);
  });
  if (r) {
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
  type_ = t ? CellTypeOf(Trim(*t)) : CellType::Number;
  dateKind_ = DateKind::None;
  if (!styleDates_.empty() && type_ == CellType::Number) {
    if (style) {
      std::string_view digits = Trim(*style);
      std::size_t index = 0;
      std::from_chars_result result = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (result.ec == std::errc() && result.ptr == digits.data() + digits.size() && index < styleDates_.size()) {
        dateKind_ = styleDates_[index];
      }
    }
  }
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

WorkbookError WorksheetHandler::FinishCell() {
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
      if (dateKind_ != DateKind::None) {
        double serial = 0;
        std::string_view digits = Trim(value_);
        std::from_chars_result result = std::from_chars(digits.data(), digits.data() + digits.size(), serial);
        std::optional<std::string> date;
        if (result.ec == std::errc() && result.ptr == digits.data() + digits.size() &&
            (date = SerialDateText(serial, dateKind_, date1904_))) {
          converted_ = std::move(*date);
          text = converted_;
          break;
        }
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
      if (std::optional<std::string> date = IsoDateText(Trim(value_))) {
        converted_ = std::move(*date);
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

// Hands a UTF-16 part on as UTF-8. The byte order comes from the byte order
// mark or, without one, from the first character, which in an XML part is
// '<'; the encoding the declaration names is not trusted, as some writers
// name UTF-16 over UTF-8 bytes. Anything else passes through unchanged.
class Utf8Recoder {
 public:
  explicit Utf8Recoder(ByteSource raw) : raw_(std::move(raw)) {}

  std::int64_t Read(char* buffer, std::size_t size) {
    if (mode_ == Mode::Unknown && !Detect()) {
      return -1;
    }
    if (mode_ == Mode::Utf8 && out_.size() == outAt_) {
      return raw_(buffer, size);
    }
    while (out_.size() == outAt_ && !rawEnded_) {
      if (!Convert()) {
        return -1;
      }
    }
    std::size_t take = std::min(size, out_.size() - outAt_);
    std::memcpy(buffer, out_.data() + outAt_, take);
    outAt_ += take;
    return static_cast<std::int64_t>(take);
  }

 private:
  enum class Mode { Unknown, Utf8, Utf16Le, Utf16Be };

  // Reads the first bytes until four are there or the part ends.
  bool Detect() {
    char head[4];
    std::size_t got = 0;
    while (got < sizeof head) {
      std::int64_t n = raw_(head + got, sizeof head - got);
      if (n < 0) return false;
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    auto is = [&](unsigned char a, unsigned char b) {
      return got >= 2 && static_cast<unsigned char>(head[0]) == a && static_cast<unsigned char>(head[1]) == b;
    };
    std::size_t skip = 0;
    if (is(0xFF, 0xFE) || is('<', 0)) {
      mode_ = Mode::Utf16Le;
      skip = is(0xFF, 0xFE) ? 2 : 0;
    } else if (is(0xFE, 0xFF) || is(0, '<')) {
      mode_ = Mode::Utf16Be;
      skip = is(0xFE, 0xFF) ? 2 : 0;
    } else {
      mode_ = Mode::Utf8;
      out_.assign(head, got);
      rawEnded_ = got < sizeof head;
      return true;
    }
    pending_.assign(head + skip, head + got);
    return true;
  }

  // Converts the next raw chunk into out_; false for a read error or a part
  // that ends in the middle of a code unit.
  bool Convert() {
    out_.clear();
    outAt_ = 0;
    std::size_t kept = pending_.size();
    pending_.resize(kept + kChunk);
    std::int64_t got = raw_(pending_.data() + kept, kChunk);
    if (got < 0) return false;
    pending_.resize(kept + static_cast<std::size_t>(got));
    rawEnded_ = got == 0;
    std::size_t at = 0;
    for (; at + 2 <= pending_.size(); at += 2) {
      auto b0 = static_cast<unsigned char>(pending_[at]);
      auto b1 = static_cast<unsigned char>(pending_[at + 1]);
      char16_t unit = mode_ == Mode::Utf16Le ? static_cast<char16_t>(b0 | (b1 << 8))
                                             : static_cast<char16_t>((b0 << 8) | b1);
      if (high_ != 0) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
          AppendUtf8(out_, 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (unit - 0xDC00));
          high_ = 0;
          continue;
        }
        AppendUtf8(out_, 0xFFFD);
        high_ = 0;
      }
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        high_ = unit;
      } else {
        AppendUtf8(out_, unit);  // a lone low surrogate becomes U+FFFD there
      }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
    if (rawEnded_) {
      if (!pending_.empty()) return false;
      if (high_ != 0) AppendUtf8(out_, 0xFFFD);
      high_ = 0;
    }
    return true;
  }

  static constexpr std::size_t kChunk = std::size_t{1} << 16;
  ByteSource raw_;
  Mode mode_ = Mode::Unknown;
  std::vector<char> pending_;  // raw bytes not yet converted
  std::string out_;
  std::size_t outAt_ = 0;
  char16_t high_ = 0;  // a high surrogate waiting for its pair
  bool rawEnded_ = false;
};

}  // namespace

std::optional<std::string_view> FindAttribute(std::string_view attributes, std::string_view wanted) {
  std::optional<std::string_view> value;
  ForEachAttribute(attributes, [&](std::string_view name, std::string_view raw) {
    if (SameText(name, wanted)) {
      value = raw;
    }
    return !value;
  });
  return value;
}

bool AppendCharacterData(std::string& out, std::string_view text) {
  // A plain loop: find_first_of would call memchr once per character.
  if (std::none_of(text.begin(), text.end(), [](char c) { return c == '&' || c == '\r'; })) {
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

ByteSource AsUtf8(ByteSource source) {
  auto recoder = std::make_shared<Utf8Recoder>(std::move(source));
  return [recoder](char* buffer, std::size_t size) { return recoder->Read(buffer, size); };
}

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
  if (!digits.empty() && !ParseRowNumber(digits, number)) {
    return false;
  }
  column = letters;
  row = number;
  return true;
}

WorkbookError ScanMarkup(const ByteSource& source, std::size_t maxTextBytes, MarkupHandler& handler) {
  return Tokenizer(source, maxTextBytes).Run(handler);
}

WorkbookError ScanWorksheet(const ByteSource& source, const std::vector<std::string>& sharedStrings,
                            const std::vector<DateKind>& styleDates, bool date1904, SheetCollector& sheet) {
  WorksheetHandler handler(sharedStrings, styleDates, date1904, sheet);
  return Tokenizer(source, sheet.limits().maxTextBytes).Run(handler);
}

WorkbookError ScanStyleDates(const ByteSource& source, std::size_t maxTextBytes, std::vector<DateKind>& out) {
  StyleDatesHandler handler(out);
  WorkbookError error = Tokenizer(source, maxTextBytes).Run(handler);
  // Dates are a courtesy: a styles part that cannot be read leaves numbers as numbers.
  if (error != WorkbookError::None) {
    out.clear();
  }
  if (std::find_if(out.begin(), out.end(), [](DateKind kind) { return kind != DateKind::None; }) == out.end()) {
    out.clear();  // no date styles: the cells need not look at theirs
  }
  return WorkbookError::None;
}

WorkbookError ScanSharedStrings(const ByteSource& source, SheetCollector& sheet, std::vector<std::string>& out) {
  SharedStringsHandler handler(sheet, out);
  return Tokenizer(source, sheet.limits().maxTextBytes).Run(handler);
}

}  // namespace kelvasta
