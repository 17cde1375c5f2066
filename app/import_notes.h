#pragma once

#include "entry/list_window.h"
#include "entry/pasted_block.h"
#include "entry/value_text.h"
#include "interchange/column_choice.h"
#include "interchange/workbook.h"

#include <QString>

#include <cstddef>

namespace kelvasta {

// The texts of the "提示" boxes around importing and pasting.

// The message for a file the import will not read, by its name: the one
// the import has always shown ("请打开Excel文件！") for a name of no known
// kind, a sentence naming the kind for spreadsheets it cannot read (.fods,
// .xlsb, .numbers, .et); empty for a name it reads.
QString RefusalForName(const QString& path);

// A read error, named for the file's kind where the general sentence
// would call it something it is not.
QString ReadErrorText(WorkbookError error, const QString& path);

// Worksheet `sheet` (0-based) of `path` does not exist.
QString MissingSheetText(const QString& path, int sheet);

inline const QString kNoDataText = QStringLiteral("文件中没有数据。");

// The import's columns hold nothing although the sheet does: `columns`
// lists (the first two or three columns) or a choice in the chooser.
QString EmptyColumnsText(std::size_t columns, bool chosen, bool longFormat);

// What the import or a paste did beyond what typing does unseen, one
// sentence a line; empty when there is nothing to tell.
struct ValueNotes {
  std::size_t notNumbers = 0;  // cells left out of the computation
  const LeftOutRows* left = nullptr;  // the long format's rows instead
  CommaReading commas = CommaReading::None;
  std::size_t commaCells = 0;
  std::size_t cut = 0;
};
QString DescribeValueNotes(const ValueNotes& notes);

// Items of the lists that are not empty and not numbers.
std::size_t CountNotNumbers(const ListWindow& lists);

}  // namespace kelvasta
