#pragma once

// Workbook files made inside the tests, the ways other programs make them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kelvasta::testing {

// A folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<std::byte> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::byte>& bytes);

// A zip package: entry names and contents, stored in this order.
using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// Builds the zip with libzip (deflated entries). With a password every entry
// is encrypted with AES-256.
std::vector<std::byte> BuildZip(const ZipEntries& entries, const std::string& password = "");

// Every entry of the zip at `path`, in the archive's order, read with
// libzip checking the archive's consistency; as far as it reads.
ZipEntries ReadZip(const std::string& path);

// The parts of a minimal workbook with one worksheet whose <sheetData> body
// is `sheetData`: content types, package and workbook relationships (the
// worksheet target as given, relative or absolute) and, when `sharedStrings`
// is not empty, a shared strings part with that <sst> body.
ZipEntries MinimalXlsx(const std::string& sheetData, const std::string& sharedStrings = "",
                       const std::string& sheetTarget = "worksheets/sheet1.xml");

// One BIFF record: identifier, length, payload.
std::vector<std::uint8_t> BiffRecord(std::uint16_t id, const std::vector<std::uint8_t>& payload);

// Little-endian pieces of a record payload.
class Bytes {
 public:
  Bytes& U8(std::uint8_t v);
  Bytes& U16(std::uint16_t v);
  Bytes& U32(std::uint32_t v);
  Bytes& F64(double v);
  Bytes& Raw(const std::string& bytes);
  Bytes& Utf16(const std::u16string& units);
  const std::vector<std::uint8_t>& get() const { return bytes_; }
  operator const std::vector<std::uint8_t>&() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Workbook stream records in order; Stream() joins them and fixes the first
// worksheet's BOUNDSHEET offset (the record marked by SheetStart()).
class BiffStream {
 public:
  BiffStream& Add(std::uint16_t id, const std::vector<std::uint8_t>& payload);
  // Adds a BOUNDSHEET of the given type (0 worksheet, 2 chart) whose offset
  // points at the BOF added after the matching call to SheetStart(index).
  BiffStream& BoundSheet(std::uint8_t type, int index);
  BiffStream& SheetStart(int index);
  std::vector<std::uint8_t> Stream() const;

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::pair<std::size_t, int>> boundSheets_;  // offset field, sheet index
  std::vector<std::pair<int, std::size_t>> sheets_;       // sheet index, BOF offset
};

// BOF payloads of a workbook globals and a worksheet substream.
std::vector<std::uint8_t> BofPayload(std::uint16_t version, std::uint16_t type);

// Puts streams into an OLE2 compound file with libgsf.
std::vector<std::byte> CompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams);

// The records of the first stream named `name` in a compound file.
std::vector<std::uint8_t> StreamOf(const std::vector<std::byte>& compoundFile, const std::string& name);

// Runs /usr/bin/python3 with a script; the exit status, or -1 when Debian's
// python3 is not there. `output` receives what it printed.
int RunPython(const std::string& script, std::string& output);
// True when /usr/bin/python3 can import the module.
bool PythonHas(const std::string& module);

// True when LibreOffice (soffice) is installed.
bool HasLibreOffice();
// Converts `input` with LibreOffice into `folder` ("xlsx", "xls:MS Excel 97",
// "csv:…" filters); the path of the result, or "" when the conversion failed.
std::string ConvertWithLibreOffice(const std::string& input, const std::string& filter,
                                   const std::string& extension, const std::string& folder);

}  // namespace kelvasta::testing
