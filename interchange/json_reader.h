#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// A pull reader of one JSON text (RFC 8259) held in memory. The caller walks
// the values it expects and skips the others, so nothing is built that the
// caller does not keep: memory stays with the caller's own limits. Nesting
// deeper than `maxDepth` is an error, not a deep recursion. After the first
// error every call returns false and error() says what and where.
class JsonReader {
 public:
  enum class Kind { Object, Array, String, Number, True, False, Null, End, Invalid };

  explicit JsonReader(std::string_view text, std::size_t maxDepth = 32);

  // The kind of the next value, without reading it.
  Kind peek();

  // Enters an object; then nextMember() gives each key (the value follows),
  // and false after the closing brace (or on an error: see failed()).
  bool beginObject();
  bool nextMember(std::string& key);
  // Enters an array; then nextElement() is true before each element.
  bool beginArray();
  bool nextElement();

  // A string of at most `maxBytes` UTF-8 bytes; a longer one is an error.
  bool readString(std::string& out, std::size_t maxBytes);
  // A number that is a whole number within [min, max].
  bool readInteger(std::int64_t& out, std::int64_t min, std::int64_t max);
  bool readNumber(double& out);
  bool readBool(bool& out);
  // Skips one value of any kind.
  bool skipValue();
  // True when only blanks follow the value read.
  bool atEnd();

  bool failed() const { return failed_; }
  // What went wrong, e.g. "第 12 个字节处：缺少逗号"; empty while all is well.
  const std::string& error() const { return error_; }
  // Records an error found by the caller at the current place.
  bool fail(std::string_view what);

 private:
  void skipBlanks();
  bool expect(char c, std::string_view what);
  bool enter();
  bool separator(char close);
  bool readLiteral(std::string_view word);
  bool scanNumber(std::string_view& digits);
  bool readEscape(std::string& out);

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t maxDepth_;
  // One entry per open container: true until its first member or element.
  std::vector<bool> first_;
  bool failed_ = false;
  std::string error_;
};

// Appends `text` to `out` as a JSON string literal, quotes included; bytes
// that are not valid UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace kelvasta
