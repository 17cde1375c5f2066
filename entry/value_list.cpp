#include "entry/value_list.h"

#include "stats/currency.h"
#include "stats/number_reading.h"
#include "stats/raw_value.h"

#include <atomic>
#include <limits>
#include <utility>

namespace kelvasta {

namespace {

struct ItemValue {
  std::int64_t raw;
  double exact;
};

// A plain decimal of up to 11 integer and 4 fraction digits, optionally
// negative, read in one pass: its Currency count is exact, and being below
// 2^53 the count divided by 10^4 is the correctly rounded double the full
// reading would give too.
bool ReadPlainDecimal(std::string_view text, ItemValue& out) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  at += negative ? 1 : 0;
  std::int64_t magnitude = 0;
  std::size_t integerDigits = 0;
  // The digit counts are checked as the digits come, so that a long run of
  // digits never overflows the count.
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++integerDigits) {
    if (integerDigits == 11) return false;
    magnitude = magnitude * 10 + (text[at] - '0');
  }
  if (integerDigits == 0) return false;
  std::size_t fractionDigits = 0;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++fractionDigits) {
      if (fractionDigits == 4) return false;
      magnitude = magnitude * 10 + (text[at] - '0');
    }
    if (fractionDigits == 0) return false;
  }
  if (at != text.size()) return false;
  for (std::size_t k = fractionDigits; k < 4; ++k) magnitude *= 10;
  const double exact = static_cast<double>(magnitude) / static_cast<double>(Currency::kScale);
  out = {negative ? -magnitude : magnitude, negative ? -exact : exact};
  return true;
}

// The Currency count and the full-precision value (NaN when the text is not
// a number) of one item.
ItemValue ReadItem(std::string_view text) {
  ItemValue value{};
  if (ReadPlainDecimal(text, value)) return value;
  value.raw = ReadRawValue(text);
  value.exact = value.raw == kMissingRaw ? std::numeric_limits<double>::quiet_NaN() : ReadLeadingNumber(text);
  return value;
}

}  // namespace

std::vector<double>& ValueList::writableNumbers() {
  // Held elsewhere too (a copy of the list, a computation on another
  // thread): those keep the values as they were.
  if (numbers_.use_count() > 1) numbers_ = std::make_shared<std::vector<double>>(*numbers_);
  return *numbers_;
}

std::uint64_t ValueList::NextVersion() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

void ValueList::setItem(std::size_t index, std::string_view text) {
  std::string& item = items_.at(index);
  if (item == text) return;
  item.assign(text);
  const ItemValue value = ReadItem(text);
  values_[index] = value.raw;
  writableNumbers()[index] = value.exact;
  changed();
}

void ValueList::append(std::string_view text) {
  items_.emplace_back(text);
  const ItemValue value = ReadItem(text);
  values_.push_back(value.raw);
  writableNumbers().push_back(value.exact);
  changed();
}

void ValueList::assign(std::vector<std::string>&& texts, std::size_t emptyAfter) {
  clear();
  const std::size_t total = texts.size() + emptyAfter;
  values_.reserve(total);
  std::vector<double>& numbers = writableNumbers();
  numbers.reserve(total);
  for (const std::string& text : texts) {
    const ItemValue value = ReadItem(text);
    values_.push_back(value.raw);
    numbers.push_back(value.exact);
  }
  items_ = std::move(texts);
  appendEmpty(emptyAfter);
}

void ValueList::appendEmpty(std::size_t howMany) {
  items_.resize(items_.size() + howMany);
  values_.resize(values_.size() + howMany, kMissingRaw);
  writableNumbers().resize(numbers_->size() + howMany, std::numeric_limits<double>::quiet_NaN());
  changed();
}

void ValueList::truncate(std::size_t count) {
  if (count >= items_.size()) return;
  items_.resize(count);
  values_.resize(count);
  writableNumbers().resize(count);
  changed();
}

// Gives the storage back: a list of a million rows is emptied on every test
// selection and would otherwise keep its buffers for good.
void ValueList::clear() {
  items_ = std::vector<std::string>();
  values_ = std::vector<std::int64_t>();
  numbers_ = std::make_shared<std::vector<double>>();
  changed();
}

}  // namespace kelvasta
