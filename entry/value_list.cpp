#include "entry/value_list.h"

#include "stats/raw_value.h"

namespace kelvasta {

void ValueList::setItem(std::size_t index, std::string_view text) {
  std::string& item = items_.at(index);
  item.assign(text);
  values_[index] = ReadRawValue(text);
}

void ValueList::append(std::string_view text) {
  items_.emplace_back(text);
  values_.push_back(ReadRawValue(text));
}

void ValueList::appendEmpty(std::size_t howMany) {
  items_.resize(items_.size() + howMany);
  values_.resize(values_.size() + howMany, kMissingRaw);
}

// Gives the storage back: a list of a million rows is emptied on every test
// selection and would otherwise keep its buffers for good.
void ValueList::clear() {
  items_ = std::vector<std::string>();
  values_ = std::vector<std::int64_t>();
}

}  // namespace kelvasta
