#pragma once

#include "interchange/column_choice.h"

#include <QString>

#include <optional>

class QWidget;

namespace kelvasta {

// The dialog of "导入数据（选择列）…": the worksheets of `path`, a preview of
// the first rows, whether the first row holds titles, and either a column
// for each of `lists` lists or a value column and a group column with the
// group each list takes. nullopt when the user cancels or the file cannot be
// previewed (the caller's import then says why).
std::optional<ColumnChoice> ChooseColumns(QWidget* owner, const QString& path, int lists);

}  // namespace kelvasta
