#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "interchange/sheet_collector.h"
#include "interchange/workbook.h"

namespace kelvasta {

// Reads the first worksheet of an Excel 97-2003 (BIFF8) or Excel 5/95
// (BIFF5) workbook held in an OLE2 compound file, whose "Workbook" or "Book"
// stream holds the records. A compound file without either stream is
// NotAWorkbook, unless it holds an "EncryptedPackage" (a password-protected
// .xlsx), which is Encrypted like a workbook with a FILEPASS record.
// The file version takes over `file` (opened from `path`) and closes it.
WorkbookError ReadXlsFile(const std::string& path, std::FILE* file, SheetCollector& sheet);
WorkbookError ReadXlsMemory(std::span<const std::byte> bytes, SheetCollector& sheet);

// Initialises libgsf once per process; every use of it calls this first.
void InitializeGsf();

// Reads the first worksheet from the records of a workbook stream. Every
// length is checked against the data: a record, string or offset that
// reaches past it is Corrupt.
WorkbookError ReadWorkbookStream(std::span<const std::uint8_t> stream, SheetCollector& sheet);

}  // namespace kelvasta
