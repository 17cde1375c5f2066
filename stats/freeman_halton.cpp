#include "stats/freeman_halton.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "stats/fisher_exact.h"

namespace kelvasta {
namespace {

constexpr int kMaxSide = 8;
// A log-factorial table beyond this many entries costs more to build than
// lgamma costs over a million tables.
constexpr std::int64_t kMaxLogFactorialTable = std::int64_t{1} << 21;

// log k!, from a table built by compensated summation, lgamma beyond it.
class LogFactorial {
 public:
  explicit LogFactorial(std::int64_t largest) {
    const std::int64_t size = std::min(largest, kMaxLogFactorialTable) + 1;
    table_.resize(static_cast<std::size_t>(size));
    double sum = 0;
    double carry = 0;
    table_[0] = 0;
    for (std::int64_t k = 1; k < size; ++k) {
      const double term = std::log(static_cast<double>(k)) - carry;
      const double next = sum + term;
      carry = (next - sum) - term;
      sum = next;
      table_[static_cast<std::size_t>(k)] = sum;
    }
  }
  double operator()(std::int64_t k) const {
    return k < static_cast<std::int64_t>(table_.size()) ? table_[static_cast<std::size_t>(k)]
                                                        : std::lgamma(static_cast<double>(k) + 1);
  }

 private:
  std::vector<double> table_;
};

// Walks every table with the given margins row by row: in each of the first
// R - 1 rows the first C - 1 cells are free, each kept within the bounds
// that leave the rest of the row (and so the remaining rows) fillable, so
// every branch ends in a table. The last free cell of row R - 2 is the inner
// loop; the last row follows from the column totals.
class TableWalk {
 public:
  TableWalk(std::vector<std::int64_t> rowTotals, std::vector<std::int64_t> columnTotals,
            const std::atomic<bool>& cancel)
      : rows_(static_cast<int>(rowTotals.size())),
        columns_(static_cast<int>(columnTotals.size())),
        rowTotals_(std::move(rowTotals)),
        cancel_(cancel) {
    std::copy(columnTotals.begin(), columnTotals.end(), remaining_.begin());
  }

  // Number of tables, or limit + 1 once it passes limit.
  std::uint64_t Count(std::uint64_t limit) {
    counting_ = true;
    limit_ = limit;
    count_ = 0;
    Cell(0, 0, rowTotals_[0], 0);
    return std::min(count_, limit + 1);
  }

  // Sum of exp(logConstant - Σ log n!) over the tables with Σ log n! >= bound.
  double Sum(const LogFactorial* lf, double logConstant, double bound) {
    counting_ = false;
    lf_ = lf;
    logConstant_ = logConstant;
    bound_ = bound;
    sum_ = 0;
    Cell(0, 0, rowTotals_[0], 0);
    return sum_;
  }

  bool cancelled() const { return cancelled_; }

 private:
  bool Stop() const { return cancelled_ || (counting_ && count_ > limit_); }

  // Chooses cell (i, j) with `left` still owed to row i; `logs` is Σ log n!
  // of the cells chosen so far.
  void Cell(int i, int j, std::int64_t left, double logs) {
    std::int64_t after = 0;  // what the later cells of this row can still hold
    for (int k = j + 1; k < columns_; ++k) {
      after += remaining_[k];
    }
    const std::int64_t lo = std::max<std::int64_t>(0, left - after);
    const std::int64_t hi = std::min(left, remaining_[j]);
    if (i == rows_ - 2 && j == columns_ - 2) {
      Inner(lo, hi, left, logs);
      return;
    }
    for (std::int64_t v = lo; v <= hi && !Stop(); ++v) {
      remaining_[j] -= v;
      const double withCell = counting_ ? 0 : logs + (*lf_)(v);
      if (j + 1 < columns_ - 1) {
        Cell(i, j + 1, left - v, withCell);
      } else {
        // The row's last cell takes what is left of its total.
        const std::int64_t last = left - v;
        remaining_[j + 1] -= last;
        Cell(i + 1, 0, rowTotals_[i + 1], counting_ ? 0 : withCell + (*lf_)(last));
        remaining_[j + 1] += last;
      }
      remaining_[j] += v;
    }
  }

  void Inner(std::int64_t lo, std::int64_t hi, std::int64_t left, double logs) {
    if (cancel_.load(std::memory_order_relaxed)) {
      cancelled_ = true;
      return;
    }
    if (counting_) {
      count_ += static_cast<std::uint64_t>(hi - lo + 1);
      return;
    }
    const LogFactorial& lf = *lf_;
    const int x = columns_ - 2;
    const int y = columns_ - 1;
    double fixed = logs;  // the last row's cells left of the inner pair
    for (int k = 0; k < x; ++k) {
      fixed += lf(remaining_[k]);
    }
    for (std::int64_t v = lo; v <= hi; ++v) {
      const std::int64_t w = left - v;
      const double logs4 = fixed + lf(v) + lf(w) + lf(remaining_[x] - v) + lf(remaining_[y] - w);
      if (logs4 >= bound_) {
        sum_ += std::exp(logConstant_ - logs4);
      }
    }
  }

  int rows_;
  int columns_;
  std::vector<std::int64_t> rowTotals_;
  std::array<std::int64_t, kMaxSide> remaining_{};
  const std::atomic<bool>& cancel_;
  bool counting_ = true;
  bool cancelled_ = false;
  std::uint64_t limit_ = 0;
  std::uint64_t count_ = 0;
  const LogFactorial* lf_ = nullptr;
  double logConstant_ = 0;
  double bound_ = 0;
  double sum_ = 0;
};

}  // namespace

FreemanHaltonResult FreemanHaltonExact(std::span<const std::uint64_t> cells, int rows, int columns,
                                       const std::atomic<bool>& cancel) {
  FreemanHaltonResult out;
  if (rows < 1 || columns < 1 || rows > kMaxSide || columns > kMaxSide ||
      cells.size() != static_cast<std::size_t>(rows * columns) ||
      std::any_of(cells.begin(), cells.end(), [](std::uint64_t v) { return v > kMaxExactCount; })) {
    out.status = FreemanHaltonStatus::TooManyTables;
    return out;
  }
  auto at = [&](int i, int j) {
    return static_cast<std::int64_t>(cells[static_cast<std::size_t>(i * columns + j)]);
  };
  std::vector<std::int64_t> rowTotals;
  std::vector<std::int64_t> columnTotals;
  std::vector<int> usedRows;
  std::vector<int> usedColumns;
  for (int i = 0; i < rows; ++i) {
    std::int64_t t = 0;
    for (int j = 0; j < columns; ++j) {
      t += at(i, j);
    }
    if (t > 0) {
      rowTotals.push_back(t);
      usedRows.push_back(i);
    }
  }
  for (int j = 0; j < columns; ++j) {
    std::int64_t t = 0;
    for (int i = 0; i < rows; ++i) {
      t += at(i, j);
    }
    if (t > 0) {
      columnTotals.push_back(t);
      usedColumns.push_back(j);
    }
  }
  if (rowTotals.size() < 2 || columnTotals.size() < 2) {
    out.tables = 1;  // the margins fix the table
    return out;
  }

  TableWalk walk(rowTotals, columnTotals, cancel);
  out.tables = walk.Count(kFreemanHaltonMaxTables);
  if (walk.cancelled()) {
    out.status = FreemanHaltonStatus::Cancelled;
    return out;
  }
  if (out.tables > kFreemanHaltonMaxTables) {
    out.status = FreemanHaltonStatus::TooManyTables;
    return out;
  }

  std::int64_t n = 0;
  std::int64_t largest = 0;
  for (std::int64_t t : rowTotals) {
    n += t;
    largest = std::max(largest, t);
  }
  for (std::int64_t t : columnTotals) {
    largest = std::max(largest, t);
  }
  const LogFactorial lf(largest);
  // P(table) = Π R! Π C! / (n! Π cell!).
  double logConstant = -std::lgamma(static_cast<double>(n) + 1);
  for (std::int64_t t : rowTotals) {
    logConstant += lf(t);
  }
  for (std::int64_t t : columnTotals) {
    logConstant += lf(t);
  }
  double observed = 0;
  for (int i : usedRows) {
    for (int j : usedColumns) {
      observed += lf(at(i, j));
    }
  }
  // P <= P(observed)·(1 + tol)  <=>  Σ log cell! >= observed - log(1 + tol).
  const double sum = walk.Sum(&lf, logConstant, observed - std::log1p(kExactTieTolerance));
  if (walk.cancelled()) {
    out.status = FreemanHaltonStatus::Cancelled;
    return out;
  }
  out.p = std::min(1.0, sum);
  return out;
}

}  // namespace kelvasta
