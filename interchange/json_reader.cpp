#include "interchange/json_reader.h"

#include <charconv>
#include <cmath>

namespace kelvasta {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The length of the UTF-8 sequence starting at `s[0]` if it is a valid one
// (no overlong forms, no surrogates, at most U+10FFFF), else 0.
std::size_t Utf8SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) return 0;
  if (code >= 0xD800 && code <= 0xDFFF) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

JsonReader::JsonReader(std::string_view text, std::size_t maxDepth) : text_(text), maxDepth_(maxDepth) {}

bool JsonReader::fail(std::string_view what) {
  if (!failed_) {
    failed_ = true;
    error_ = "第 " + std::to_string(at_ + 1) + " 个字节处：" + std::string(what);
  }
  return false;
}

void JsonReader::skipBlanks() {
  while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
}

JsonReader::Kind JsonReader::peek() {
  if (failed_) return Kind::Invalid;
  skipBlanks();
  if (at_ >= text_.size()) return Kind::End;
  switch (text_[at_]) {
    case '{': return Kind::Object;
    case '[': return Kind::Array;
    case '"': return Kind::String;
    case 't': return Kind::True;
    case 'f': return Kind::False;
    case 'n': return Kind::Null;
    default: break;
  }
  const char c = text_[at_];
  return c == '-' || (c >= '0' && c <= '9') ? Kind::Number : Kind::Invalid;
}

bool JsonReader::expect(char c, std::string_view what) {
  if (failed_) return false;
  skipBlanks();
  if (at_ >= text_.size()) return fail("文件在此处意外结束，缺少" + std::string(what));
  if (text_[at_] != c) return fail("应为" + std::string(what));
  ++at_;
  return true;
}

bool JsonReader::enter() {
  if (first_.size() >= maxDepth_) return fail("嵌套层次过深");
  first_.push_back(true);
  return true;
}

bool JsonReader::beginObject() { return expect('{', "“{”") && enter(); }
bool JsonReader::beginArray() { return expect('[', "“[”") && enter(); }

// Before a member or element: false at the container's end (leaving it),
// true when one follows.
bool JsonReader::separator(char close) {
  if (failed_ || first_.empty()) return false;
  skipBlanks();
  if (at_ >= text_.size()) return fail("文件在此处意外结束");
  if (text_[at_] == close) {
    ++at_;
    first_.pop_back();
    return false;
  }
  if (!first_.back()) {
    if (text_[at_] != ',') return fail("缺少逗号");
    ++at_;
  }
  first_.back() = false;
  return true;
}

bool JsonReader::nextMember(std::string& key) {
  if (!separator('}')) return false;
  constexpr std::size_t kMaxKeyBytes = 256;
  return readString(key, kMaxKeyBytes) && expect(':', "冒号");
}

bool JsonReader::nextElement() { return separator(']'); }

bool JsonReader::readEscape(std::string& out) {
  if (at_ >= text_.size()) return fail("文件在此处意外结束");
  const char c = text_[at_++];
  switch (c) {
    case '"': out += '"'; return true;
    case '\\': out += '\\'; return true;
    case '/': out += '/'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'u': break;
    default: return fail("无效的转义字符");
  }
  const auto hex4 = [this](char32_t& unit) {
    if (text_.size() - at_ < 4) return false;
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexValue(text_[at_ + std::size_t(i)]);
      if (digit < 0) return false;
      unit = unit * 16 + char32_t(digit);
    }
    at_ += 4;
    return true;
  };
  char32_t unit = 0;
  if (!hex4(unit)) return fail("无效的\\u转义");
  if (unit >= 0xDC00 && unit <= 0xDFFF) return fail("孤立的代理项");
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    char32_t low = 0;
    if (text_.substr(at_, 2) != "\\u") return fail("孤立的代理项");
    at_ += 2;
    if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return fail("孤立的代理项");
    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  }
  AppendUtf8(out, unit);
  return true;
}

bool JsonReader::readString(std::string& out, std::size_t maxBytes) {
  out.clear();
  if (!expect('"', "文字（以引号开始）")) return false;
  while (true) {
    if (at_ >= text_.size()) return fail("文字没有结束引号");
    const char c = text_[at_];
    if (c == '"') {
      ++at_;
      return true;
    }
    if (c == '\\') {
      ++at_;
      if (!readEscape(out)) return false;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      return fail("文字中含有控制字符");
    } else {
      const std::size_t length = Utf8SequenceLength(text_.substr(at_));
      if (length == 0) return fail("文字不是有效的UTF-8编码");
      out.append(text_.substr(at_, length));
      at_ += length;
    }
    if (out.size() > maxBytes) return fail("文字过长（超过 " + std::to_string(maxBytes) + " 字节）");
  }
}

bool JsonReader::scanNumber(std::string_view& digits) {
  if (peek() != Kind::Number) return fail("应为数字");
  const std::size_t start = at_;
  const auto digitsRun = [this] {
    const std::size_t from = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > from;
  };
  if (text_[at_] == '-') ++at_;
  if (at_ < text_.size() && text_[at_] == '0') {
    ++at_;
  } else if (!digitsRun()) {
    return fail("无效的数字");
  }
  if (at_ < text_.size() && text_[at_] == '.') {
    ++at_;
    if (!digitsRun()) return fail("无效的数字");
  }
  if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    if (!digitsRun()) return fail("无效的数字");
  }
  digits = text_.substr(start, at_ - start);
  return true;
}

bool JsonReader::readNumber(double& out) {
  std::string_view digits;
  if (!scanNumber(digits)) return false;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), out);
  if (result.ec != std::errc() || !std::isfinite(out)) return fail("数字超出范围");
  return true;
}

bool JsonReader::readInteger(std::int64_t& out, std::int64_t min, std::int64_t max) {
  double value = 0;
  if (!readNumber(value)) return false;
  if (value != std::floor(value) || value < double(min) || value > double(max))
    return fail("应为 " + std::to_string(min) + " 到 " + std::to_string(max) + " 的整数");
  out = static_cast<std::int64_t>(value);
  return true;
}

bool JsonReader::readLiteral(std::string_view word) {
  skipBlanks();
  if (text_.substr(at_, word.size()) != word) return fail("无效的值");
  at_ += word.size();
  return true;
}

bool JsonReader::readBool(bool& out) {
  switch (peek()) {
    case Kind::True: out = true; return readLiteral("true");
    case Kind::False: out = false; return readLiteral("false");
    default: return fail("应为 true 或 false");
  }
}

bool JsonReader::skipValue() {
  std::string ignored;
  double number = 0;
  switch (peek()) {
    case Kind::Object:
      if (!beginObject()) return false;
      while (nextMember(ignored))
        if (!skipValue()) return false;
      return !failed_;
    case Kind::Array:
      if (!beginArray()) return false;
      while (nextElement())
        if (!skipValue()) return false;
      return !failed_;
    case Kind::String: return readString(ignored, text_.size());
    case Kind::Number: return readNumber(number);
    case Kind::True: return readLiteral("true");
    case Kind::False: return readLiteral("false");
    case Kind::Null: return readLiteral("null");
    case Kind::End: return fail("文件在此处意外结束");
    case Kind::Invalid: return fail("无效的值");
  }
  return false;
}

bool JsonReader::atEnd() {
  if (failed_) return false;
  skipBlanks();
  return at_ == text_.size();
}

void AppendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  while (!text.empty()) {
    const auto c = static_cast<unsigned char>(text.front());
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      const std::size_t length = Utf8SequenceLength(text);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        text.remove_prefix(1);
        continue;
      }
      out.append(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    text.remove_prefix(1);
  }
  out += '"';
}

}  // namespace kelvasta
