#include "entry/list_window.h"

#include <algorithm>
#include <limits>

namespace kelvasta {
namespace {

// Rows the scroll bar keeps ahead of the top row once the last row is typed in.
constexpr int kGrowthAhead = 4;

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

ListWindow::ListWindow(std::size_t columns) : columns_(columns) {}

void ListWindow::clearLists() {
  if (keep_ != nullptr && keep_->empty()) {
    if (journal_ != nullptr) {
      for (auto edit = journal_->rbegin(); edit != journal_->rend(); ++edit) {
        columns_.at(edit->column).setItem(edit->index, edit->before);
      }
      journal_->clear();
    }
    *keep_ = std::move(columns_);
    columns_ = std::vector<ValueList>(keep_->size());
    return;
  }
  for (ValueList& list : columns_) {
    list.clear();
  }
}

void ListWindow::appendEmptyRows(std::size_t howMany) {
  for (ValueList& list : columns_) {
    list.appendEmpty(howMany);
  }
}

void ListWindow::setTop(int value) { top_ = std::clamp(value, 0, maximum_); }

void ListWindow::setMaximum(int value) {
  maximum_ = std::max(value, 0);
  top_ = std::min(top_, maximum_);
}

bool ListWindow::growForRow(int row) {
  if (row != kRows - 1 || top_ > std::numeric_limits<int>::max() - kGrowthAhead ||
      maximum_ >= top_ + kGrowthAhead) {
    return false;
  }
  maximum_ = top_ + kGrowthAhead;
  const std::size_t wanted = static_cast<std::size_t>(maximum_) + kRows;
  for (ValueList& list : columns_) {
    if (list.count() < wanted) {
      list.appendEmpty(wanted - list.count());
    }
  }
  return true;
}

long long ListWindow::indexOf(int row, std::size_t c) const {
  const long long index = static_cast<long long>(top_) + row;
  if (row < 0 || row >= kRows || index >= static_cast<long long>(column(c).count())) {
    return -1;
  }
  return index;
}

void ListWindow::store(int row, std::size_t c, std::string_view text) {
  const long long index = indexOf(row, c);
  if (index >= 0) {
    storeAt(static_cast<std::size_t>(index), c, text);
  }
}

void ListWindow::storeAt(std::size_t index, std::size_t c, std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (journal_ != nullptr && column(c).item(index) != trimmed) {
    journal_->push_back({c, index, column(c).item(index), std::string(trimmed)});
  }
  column(c).setItem(index, trimmed);
}

void ListWindow::resizeLists(const std::vector<std::size_t>& counts) {
  for (std::size_t c = 0; c < columns_.size() && c < counts.size(); ++c) {
    ValueList& list = columns_[c];
    if (list.count() > counts[c]) {
      list.truncate(counts[c]);
    } else {
      list.appendEmpty(counts[c] - list.count());
    }
  }
}

std::vector<std::size_t> ListWindow::counts() const {
  std::vector<std::size_t> result;
  for (const ValueList& list : columns_) result.push_back(list.count());
  return result;
}

const std::string& ListWindow::shown(int row, std::size_t c) const {
  const long long index = indexOf(row, c);
  return index >= 0 ? column(c).item(static_cast<std::size_t>(index)) : EmptyText();
}

ListWindow::Move ListWindow::nextRow(int row) {
  if (row >= 0 && row < kRows - 1) {
    return {Move::Focus, row + 1};
  }
  if (row == kRows - 1 && top_ < maximum_) {
    ++top_;
    return {Move::Scroll, row};
  }
  return {Move::None, row};
}

ListWindow::Move ListWindow::previousRow(int row) {
  if (row > 0 && row < kRows) {
    return {Move::Focus, row - 1};
  }
  if (row == 0 && top_ > 0) {
    --top_;
    return {Move::Scroll, row};
  }
  return {Move::None, row};
}

}  // namespace kelvasta
