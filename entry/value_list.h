#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// One column of raw values behind a value-list panel: item k holds the text of
// data row k + 1 as last stored, "" for a row without a value.
class ValueList {
 public:
  std::size_t count() const { return items_.size(); }
  const std::string& item(std::size_t index) const { return items_.at(index); }
  void setItem(std::size_t index, std::string_view text) { items_.at(index) = std::string(text); }
  void append(std::string_view text) { items_.emplace_back(text); }
  void appendEmpty(std::size_t howMany) { items_.resize(items_.size() + howMany); }
  void clear() { items_.clear(); }
  const std::vector<std::string>& items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// The number of empty items every list holds after start and after each test
// selection: ten visible rows plus the five the scroll bar can reach.
inline constexpr std::size_t kInitialListItems = 15;

}  // namespace kelvasta
