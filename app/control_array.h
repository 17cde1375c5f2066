#pragma once

#include <QtGlobal>

#include <map>

namespace kelvasta {

// A control array as the form designs them: elements addressed by index, with
// gaps allowed (Label18 has no element 11, Label5 uses scattered indexes).
template <class Widget>
class ControlArray {
 public:
  Widget* operator()(int index) const {
    const auto it = items_.find(index);
    Q_ASSERT_X(it != items_.end(), "ControlArray", "no element with this index");
    return it->second;
  }
  bool contains(int index) const { return items_.count(index) != 0; }
  void add(int index, Widget* widget) { items_[index] = widget; }
  const std::map<int, Widget*>& items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::map<int, Widget*> items_;
};

}  // namespace kelvasta
