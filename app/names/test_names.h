#pragma once

#include "app/test_table.h"

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <span>

namespace kelvasta {

// The longest name kept, in UTF-16 units: longer texts are cut there.
inline constexpr qsizetype kMaxNameLength = 100;

// A name as kept: line breaks and tabs become blanks (a copied table must
// keep its columns), blanks around it go, and it is cut to kMaxNameLength
// without splitting a character. Empty means the default caption.
QString CleanName(const QString& text);

// One nameable thing of a test: its key (`Names.<key>` in the dialog and
// the script), the dialog's label and the caption shown when unnamed.
struct NameField {
  QString key;
  QString label;
  QString placeholder;
};
// The fields of test `test` (0 to 7), in the dialog's order.
std::span<const NameField> NameFields(int test);
// Every key any test uses, each once, in the dialog's order.
QStringList AllNameKeys();
bool HasNameField(int test, const QString& key);

// The names the user gave one test's groups, rows, columns, grades and
// variables. Only given names are held; every use falls back to the caption
// the program shows without one, so unnamed output is unchanged.
class TestNames {
 public:
  TestNames() = default;
  // The user's name for `key`, or `fallback` when there is none.
  QString operator()(const QString& key, const QString& fallback) const;
  bool has(const QString& key) const { return names_.count(key) != 0; }
  // `label` after the name of `key` (see NamedLabel), or after `fallback`
  // as it always was: "R1合计".
  QString label(const QString& key, const QString& fallback, const QString& label) const;
  bool hasAny(std::initializer_list<QString> keys) const;
  bool empty() const { return names_.empty(); }
  // Keeps CleanName(text) under `key`; an empty result drops it. True when
  // that changed anything.
  bool set(const QString& key, const QString& text);
  const std::map<QString, QString>& entries() const { return names_; }
  friend bool operator==(const TestNames&, const TestNames&) = default;

 private:
  std::map<QString, QString> names_;
};

// Every test's names, as the window keeps them.
using NameBook = std::array<TestNames, kTestCount>;

// "收缩压 (mmHg)": a quantity with its unit in brackets, or alone without one.
QString WithUnit(const QString& quantity, const QString& unit);
// "治疗组例数(n1)", or "Group A 例数(n1)" when the name ends in a Latin
// letter or digit: a name in front of a row label.
QString NamedLabel(const QString& name, const QString& label);
// "A与B", "A、B与C".
QString JoinNames(const QStringList& names);

}  // namespace kelvasta
