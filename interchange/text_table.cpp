#include "interchange/text_table.h"

#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "interchange/cell_text.h"
#include "interchange/text_separator.h"

namespace kelvasta {
namespace {

// Control characters a text table may hold: tab, LF, VT, FF, CR and the
// old end-of-file mark SUB. Any other below 0x20 is taken for binary data.
bool AllowedControl(unsigned char c) { return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A; }

enum class Check { Utf8, NotUtf8, Binary };

// One pass over the bytes: are they valid UTF-8 (no overlong forms,
// surrogates or code points past U+10FFFF), and free of NUL and of
// control characters other than the allowed ones? Binary wins over NotUtf8.
Check CheckBytes(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  bool utf8 = true;
  while (p < end) {
    // Eight ASCII bytes at a time, none of them a control character.
    if (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
      constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
      if (((word | (word - kSpaces)) & kHigh) == 0) {
        p += 8;
        continue;
      }
    }
    unsigned char c = *p;
    if (c < 0x80) {
      if (c < 0x20 && !AllowedControl(c)) {
        return Check::Binary;
      }
      ++p;
      continue;
    }
    if (!utf8) {
      ++p;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t min = 0;
    std::uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2, min = 0x80, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, min = 0x800, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, min = 0x10000, code = c & 0x07;
    } else {
      utf8 = false;
      ++p;
      continue;
    }
    if (static_cast<std::size_t>(end - p) < length) {
      utf8 = false;
      ++p;
      continue;
    }
    bool ok = true;
    for (std::size_t i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      code = (code << 6) | (p[i] & 0x3F);
    }
    if (!ok || code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      utf8 = false;
      ++p;
      continue;
    }
    p += length;
  }
  return utf8 ? Check::Utf8 : Check::NotUtf8;
}

std::string Utf16ToUtf8Bytes(std::string_view bytes, bool littleEndian) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  char16_t high = 0;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    auto b0 = static_cast<unsigned char>(bytes[at]);
    auto b1 = static_cast<unsigned char>(bytes[at + 1]);
    auto unit = static_cast<char16_t>(littleEndian ? (b0 | (b1 << 8)) : ((b0 << 8) | b1));
    if (high != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00));
        high = 0;
        continue;
      }
      AppendUtf8(out, 0xFFFD);
      high = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high = unit;
    } else if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else {
      AppendUtf8(out, unit);
    }
  }
  if (high != 0) {
    AppendUtf8(out, 0xFFFD);
  }
  return out;
}

// GB18030 to UTF-8 with glibc's iconv; false for bytes it does not take.
bool Gb18030ToUtf8(std::string_view bytes, std::string& out) {
  iconv_t converter = ::iconv_open("UTF-8", "GB18030");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return false;
  }
  // Two bytes become at most three, four at most four.
  out.resize(bytes.size() + bytes.size() / 2 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  std::size_t result = ::iconv(converter, &in, &inLeft, &to, &toLeft);
  ::iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
    return false;
  }
  out.resize(out.size() - toLeft);
  return true;
}

class TableReader {
 public:
  TableReader(std::string_view text, char separator, SheetCollector& sheet)
      : text_(text), separator_(separator), sheet_(sheet) {
    special_.fill(false);
    special_[static_cast<unsigned char>('\n')] = true;
    special_[static_cast<unsigned char>('\r')] = true;
    if (separator != 0) {
      special_[static_cast<unsigned char>(separator)] = true;
    }
  }

  WorkbookError Run();

 private:
  WorkbookError Emit(std::string_view field);

  std::string_view text_;
  char separator_;
  SheetCollector& sheet_;
  std::array<bool, 256> special_{};
  std::int64_t row_ = 1;
  std::int64_t column_ = 1;
  std::string quotedField_;
  std::string number_;
};

WorkbookError TableReader::Emit(std::string_view field) {
  if (field.empty()) {
    return WorkbookError::None;
  }
  if (row_ > kMaxSheetRow) {
    return WorkbookError::TooManyRows;
  }
  if (!sheet_.Keeps(column_)) {
    return sheet_.MarkUsed(row_, std::min(column_, kMaxSheetColumn));
  }
  if (!IsGeneralNumberText(field) && field.size() <= 64) {
    char first = field.front();
    if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.' || first == ' ') {
      number_ = NumberCellText(field);
      if (!number_.empty()) {
        return sheet_.Add(row_, column_, number_);
      }
    }
  }
  return sheet_.Add(row_, column_, field);
}

WorkbookError TableReader::Run() {
  const char* p = text_.data();
  const char* end = p + text_.size();
  while (p < end) {
    std::string_view field;
    if (*p == '"') {
      // Quoted: up to the next lone quote, then anything up to the separator.
      quotedField_.clear();
      ++p;
      for (;;) {
        const void* quote = std::memchr(p, '"', static_cast<std::size_t>(end - p));
        if (quote == nullptr) {
          return WorkbookError::UnbalancedQuote;
        }
        const char* q = static_cast<const char*>(quote);
        quotedField_.append(p, q);
        if (quotedField_.size() > sheet_.limits().maxTextBytes) {
          return WorkbookError::TooMuchText;
        }
        p = q + 1;
        if (p < end && *p == '"') {
          quotedField_ += '"';
          ++p;
          continue;
        }
        break;
      }
      const char* rest = p;
      while (p < end && !special_[static_cast<unsigned char>(*p)]) ++p;
      quotedField_.append(rest, p);
      field = quotedField_;
    } else {
      const char* start = p;
      while (p < end && !special_[static_cast<unsigned char>(*p)]) ++p;
      field = std::string_view(start, static_cast<std::size_t>(p - start));
    }
    if (WorkbookError error = Emit(field); error != WorkbookError::None) {
      return error;
    }
    if (p == end) {
      break;
    }
    char c = *p++;
    if (c == separator_) {
      if (column_ < kMaxSheetColumn + 1) ++column_;
      continue;
    }
    if (c == '\r' && p < end && *p == '\n') {
      ++p;
    }
    ++row_;
    column_ = 1;
    if (sheet_.Satisfied()) {
      break;
    }
  }
  return WorkbookError::None;
}

// Rows expected: the line ends, for reserving the columns.
std::int64_t CountLines(std::string_view text) {
  std::int64_t lines = 1;
  const char* p = text.data();
  const char* end = p + text.size();
  while (const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
    ++lines;
    p = static_cast<const char*>(found) + 1;
  }
  return lines;
}

}  // namespace

WorkbookError ReadTextTable(std::string_view bytes, SheetCollector& sheet) {
  if (sheet.sheetIndex() != 0) {
    return WorkbookError::NotAWorkbook;  // a text table is one sheet
  }
  std::string converted;
  std::string_view text;
  auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (startsWith("\xEF\xBB\xBF")) {
    text = bytes.substr(3);
    if (CheckBytes(text) != Check::Utf8) {
      return WorkbookError::NotText;
    }
  } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
    if (bytes.size() % 2 != 0) {
      return WorkbookError::NotText;
    }
    if (WorkbookError error = sheet.Hold(bytes.size() + bytes.size() / 2); error != WorkbookError::None) {
      return error;
    }
    converted = Utf16ToUtf8Bytes(bytes.substr(2), bytes[0] == '\xFF');
    text = converted;
    if (CheckBytes(text) != Check::Utf8) {
      return WorkbookError::NotText;
    }
  } else {
    switch (CheckBytes(bytes)) {
      case Check::Binary: return WorkbookError::NotText;
      case Check::Utf8: text = bytes; break;
      case Check::NotUtf8:
        if (WorkbookError error = sheet.Hold(bytes.size() + bytes.size() / 2); error != WorkbookError::None) {
          return error;
        }
        if (!Gb18030ToUtf8(bytes, converted)) {
          return WorkbookError::NotText;
        }
        text = converted;
        break;
    }
  }
  bool unclear = false;
  char separator = DetectSeparator(text, unclear);
  if (unclear) {
    return WorkbookError::UnclearSeparator;
  }
  sheet.ExpectRows(CountLines(text));
  return TableReader(text, separator, sheet).Run();
}

WorkbookError ReadTextTableFile(int fd, SheetCollector& sheet) {
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0 || info.st_size < 0) {
    return WorkbookError::CannotOpen;
  }
  auto size = static_cast<std::size_t>(info.st_size);
  if (WorkbookError error = sheet.Hold(size); error != WorkbookError::None) {
    return error;
  }
  std::unique_ptr<char[]> bytes(new char[size + 1]);
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = ::pread(fd, bytes.get() + got, size - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return WorkbookError::CannotOpen;
    }
    if (n == 0) {
      break;  // the file shrank meanwhile
    }
    got += static_cast<std::size_t>(n);
  }
  return ReadTextTable(std::string_view(bytes.get(), got), sheet);
}

}  // namespace kelvasta
