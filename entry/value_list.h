#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// One column of raw values behind a value-list panel: item k holds the text of
// data row k + 1 as last stored, "" for a row without a value. Beside each
// text the list keeps its Currency count (kMissingRaw when the text is not a
// number), so a computation over the whole list never parses text again.
class ValueList {
 public:
  std::size_t count() const { return items_.size(); }
  const std::string& item(std::size_t index) const { return items_.at(index); }
  // Throws std::out_of_range for an index past the end, as item() does.
  void setItem(std::size_t index, std::string_view text);
  void append(std::string_view text);
  void appendEmpty(std::size_t howMany);
  // Replaces the whole list with `texts` (moved in, not copied) followed by
  // `emptyAfter` empty items: a read column becomes a list without a second
  // copy of its strings.
  void assign(std::vector<std::string>&& texts, std::size_t emptyAfter);
  // Drops the items from `count` on; nothing when there are no more.
  void truncate(std::size_t count);
  // Room for `count` items in all, so that filling a long list does not
  // reallocate (and briefly double) its storage on the way.
  void reserve(std::size_t count) {
    items_.reserve(count);
    values_.reserve(count);
    writableNumbers().reserve(count);
  }
  void clear();
  const std::vector<std::string>& items() const { return items_; }
  // values()[k] is ReadRawValue(item(k)).
  const std::vector<std::int64_t>& values() const { return values_; }
  // The same items read at full precision (the text as a double, not rounded
  // to four decimals); NaN where values() holds kMissingRaw.
  const std::vector<double>& numbers() const { return *numbers_; }
  // The same values, shared without copying: they stay as they are while
  // held, whatever becomes of the list (it copies them before its next
  // change). For computations on another thread.
  std::shared_ptr<const std::vector<double>> sharedNumbers() const { return numbers_; }
  // Changes with every change of the list (storing an item's own text again
  // is none), and no two lists (nor one list at two moments) share a value:
  // figures computed from a list can be kept under it.
  std::uint64_t version() const { return version_; }

 private:
  std::vector<std::string> items_;
  std::vector<std::int64_t> values_;
  std::shared_ptr<std::vector<double>> numbers_ = std::make_shared<std::vector<double>>();
  std::uint64_t version_ = NextVersion();

  static std::uint64_t NextVersion();
  void changed() { version_ = NextVersion(); }
  std::vector<double>& writableNumbers();
};

// The number of empty items every list holds after start and after each test
// selection: ten visible rows plus the five the scroll bar can reach.
inline constexpr std::size_t kInitialListItems = 15;

}  // namespace kelvasta
