#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>

#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"

namespace kelvasta {

// Reads the first worksheet of an Office Open XML workbook (a zip package)
// into `sheet`. The workbook part is found through _rels/.rels (falling back
// to xl/workbook.xml), the first <sheet> of it that is a worksheet through
// the workbook's relationships, whose targets may be relative
// ("worksheets/sheet1.xml") or absolute ("/xl/worksheets/sheet1.xml"); part
// names are matched without regard to letter case, as the format requires.
// A zip that holds no workbook (a .docx, an .ods, a binary .xlsb) is
// NotAWorkbook; an encrypted zip entry is Encrypted. An OpenDocument
// package is handed to ReadOdsArchive. The worksheet read is the one
// sheet.ChooseSheet() names (0-based among the worksheets), and with
// listsNames() the names of all worksheets go to sheet.sheetNames().
// The file version takes over `file` and closes it.
WorkbookError ReadXlsxFile(std::FILE* file, SheetCollector& sheet);
WorkbookError ReadXlsxMemory(std::span<const std::byte> bytes, SheetCollector& sheet);

// The part a relationship target names, seen from the part `source` ("" for
// the package itself): "%20" and the like decoded, "." and ".." resolved.
std::string ResolvePartName(const std::string& source, const std::string& target);

}  // namespace kelvasta
