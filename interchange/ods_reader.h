#pragma once

#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"

struct zip;

namespace kelvasta {

// True when the zip is an OpenDocument package: its "mimetype" entry names
// an OpenDocument type, or it has no such entry but a content.xml and no
// [Content_Types].xml.
bool IsOpenDocument(zip* archive);

// Reads the chosen table (the first unless sheet.ChooseSheet says another)
// of an OpenDocument spreadsheet's content.xml into `sheet`. Rows and cells
// repeated by table:number-rows-repeated and table:number-columns-repeated
// count as that many; repeats without content cost nothing however many
// they are, and repeated content stops at the row limit. Cell texts as for
// .xlsx: office:value as a number's general text, office:date-value and
// office:time-value as date and time texts, office:boolean-value as TRUE or
// FALSE, otherwise the text:p paragraphs joined by line ends (text:s
// spaces, text:tab, text:line-break; annotations left out). A covered cell
// is an empty cell. Another OpenDocument type (a text document) is
// NotAWorkbook, a password-protected one Encrypted.
// Takes over `archive` and discards it.
WorkbookError ReadOdsArchive(zip* archive, SheetCollector& sheet);

}  // namespace kelvasta
