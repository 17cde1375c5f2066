#include "entry/value_list.h"

#include "stats/number_reading.h"
#include "stats/raw_value.h"

#include <atomic>
#include <limits>

namespace kelvasta {

namespace {
// The full-precision value of an item that counts as a number, NaN otherwise.
double ExactValue(std::string_view text, std::int64_t raw) {
  return raw == kMissingRaw ? std::numeric_limits<double>::quiet_NaN() : ReadLeadingNumber(text);
}
}  // namespace

std::uint64_t ValueList::NextVersion() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

void ValueList::setItem(std::size_t index, std::string_view text) {
  std::string& item = items_.at(index);
  item.assign(text);
  values_[index] = ReadRawValue(text);
  numbers_[index] = ExactValue(text, values_[index]);
  changed();
}

void ValueList::append(std::string_view text) {
  items_.emplace_back(text);
  values_.push_back(ReadRawValue(text));
  numbers_.push_back(ExactValue(text, values_.back()));
  changed();
}

void ValueList::appendEmpty(std::size_t howMany) {
  items_.resize(items_.size() + howMany);
  values_.resize(values_.size() + howMany, kMissingRaw);
  numbers_.resize(numbers_.size() + howMany, std::numeric_limits<double>::quiet_NaN());
  changed();
}

void ValueList::truncate(std::size_t count) {
  if (count >= items_.size()) return;
  items_.resize(count);
  values_.resize(count);
  numbers_.resize(count);
  changed();
}

// Gives the storage back: a list of a million rows is emptied on every test
// selection and would otherwise keep its buffers for good.
void ValueList::clear() {
  items_ = std::vector<std::string>();
  values_ = std::vector<std::int64_t>();
  numbers_ = std::vector<double>();
  changed();
}

}  // namespace kelvasta
