#include "app/names/test_names.h"

#include <vector>

namespace kelvasta {

QString CleanName(const QString& text) {
  QString clean;
  // Blanks in front are dropped before the cut, so they do not take its room.
  const QString trimmed = text.trimmed();
  clean.reserve(std::min(trimmed.size(), kMaxNameLength));
  for (QChar ch : trimmed) {
    if (clean.size() == kMaxNameLength) break;
    const QChar::Category kind = ch.category();
    const bool breaks = kind == QChar::Other_Control || kind == QChar::Separator_Line ||
                        kind == QChar::Separator_Paragraph;
    clean += breaks ? QChar(u' ') : ch;
  }
  if (!clean.isEmpty() && clean.back().isHighSurrogate()) clean.chop(1);
  return clean.trimmed();
}

namespace {

using Fields = std::vector<NameField>;

NameField Field(const char16_t* key, const char16_t* label, const char16_t* placeholder) {
  return {QString::fromUtf16(key), QString::fromUtf16(label), QString::fromUtf16(placeholder)};
}

NameField Unit(const char16_t* key, const char16_t* label) { return Field(key, label, u"如 mmHg"); }

const std::array<Fields, kTestCount>& AllFields() {
  static const std::array<Fields, kTestCount> fields{{
      {Field(u"group1", u"第1组：", u"第1组"), Field(u"group2", u"第2组：", u"第2组"),
       Field(u"variable", u"观察指标：", u"观察值"), Unit(u"unit", u"单位：")},
      {Field(u"group1", u"第1次测量：", u"第1组"), Field(u"group2", u"第2次测量：", u"第2组"),
       Field(u"variable", u"观察指标：", u"观察值"), Unit(u"unit", u"单位：")},
      {Field(u"group1", u"第1组：", u"第1组"), Field(u"group2", u"第2组：", u"第2组"),
       Field(u"group3", u"第3组：", u"第3组"), Field(u"variable", u"观察指标：", u"观察值"),
       Unit(u"unit", u"单位：")},
      {Field(u"row1", u"第1行（组别）：", u"试验组"), Field(u"row2", u"第2行（组别）：", u"对照组"),
       Field(u"column1", u"第1列（结果）：", u"阳性"), Field(u"column2", u"第2列（结果）：", u"阴性")},
      {Field(u"rating1", u"第1种结果（列）：", u"治疗前"), Field(u"rating2", u"第2种结果（行）：", u"治疗后"),
       Field(u"grade1", u"第1个等级：", u"阳性"), Field(u"grade2", u"第2个等级：", u"阴性")},
      {Field(u"row1", u"第1行：", u"R1"), Field(u"row2", u"第2行：", u"R2"), Field(u"row3", u"第3行：", u"R3"),
       Field(u"column1", u"第1列：", u"C1"), Field(u"column2", u"第2列：", u"C2"),
       Field(u"column3", u"第3列：", u"C3"), Field(u"column4", u"第4列：", u"C4")},
      {Field(u"x", u"X变量：", u"X"), Unit(u"x_unit", u"X的单位："), Field(u"y", u"Y变量：", u"Y"),
       Unit(u"y_unit", u"Y的单位：")},
      {Field(u"group1", u"第1组：", u"试验组"), Field(u"group2", u"第2组：", u"对照组"),
       Field(u"grade1", u"第1等级：", u"（+）"), Field(u"grade2", u"第2等级：", u"（++）"),
       Field(u"grade3", u"第3等级：", u"（+++）"), Field(u"grade4", u"第4等级：", u"（++++）")},
  }};
  return fields;
}

}  // namespace

std::span<const NameField> NameFields(int test) { return AllFields().at(std::size_t(test)); }

QStringList AllNameKeys() {
  QStringList keys;
  for (const Fields& fields : AllFields())
    for (const NameField& field : fields)
      if (!keys.contains(field.key)) keys.push_back(field.key);
  return keys;
}

bool HasNameField(int test, const QString& key) {
  for (const NameField& field : NameFields(test))
    if (field.key == key) return true;
  return false;
}

QString TestNames::operator()(const QString& key, const QString& fallback) const {
  const auto found = names_.find(key);
  return found == names_.end() ? fallback : found->second;
}

QString TestNames::label(const QString& key, const QString& fallback, const QString& label) const {
  const auto found = names_.find(key);
  return found == names_.end() ? fallback + label : NamedLabel(found->second, label);
}

bool TestNames::hasAny(std::initializer_list<QString> keys) const {
  for (const QString& key : keys)
    if (has(key)) return true;
  return false;
}

bool TestNames::set(const QString& key, const QString& text) {
  const QString name = CleanName(text);
  if (name.isEmpty()) return names_.erase(key) != 0;
  QString& kept = names_[key];
  if (kept == name) return false;
  kept = name;
  return true;
}

QString WithUnit(const QString& quantity, const QString& unit) {
  return unit.isEmpty() ? quantity : QStringLiteral("%1 (%2)").arg(quantity, unit);
}

QString NamedLabel(const QString& name, const QString& label) {
  const QChar last = name.isEmpty() ? QChar() : name.back();
  const bool latin = last.unicode() < 0x80 && last.isLetterOrNumber();
  return latin ? name + QLatin1Char(' ') + label : name + label;
}

QString JoinNames(const QStringList& names) {
  if (names.size() < 2) return names.value(0);
  return names.mid(0, names.size() - 1).join(QStringLiteral("、")) + QStringLiteral("与") + names.back();
}

}  // namespace kelvasta
