#pragma once

// Packages the fuzz targets and their seed writer build around a fuzzed part.

#include <zip.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace kelvasta::fuzz {

inline const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A zip of stored (uncompressed) entries, so that the fuzzer's changes to a
// part reach the XML readers unchanged.
inline std::vector<std::byte> StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<std::byte> bytes;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  if (archive == nullptr) {
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
  }
  zip_source_keep(buffer);
  for (const auto& [name, content] : entries) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index = zip_file_add(archive, name.c_str(), source, 0);
    if (index >= 0) {
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    } else {
      zip_source_free(source);
    }
  }
  if (zip_close(archive) == 0) {
    zip_stat_t stat;
    if (zip_source_open(buffer) == 0) {
      if (zip_source_stat(buffer, &stat) == 0) {
        bytes.resize(stat.size);
        zip_source_read(buffer, bytes.data(), stat.size);
      }
      zip_source_close(buffer);
    }
  } else {
    zip_discard(archive);
  }
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

// A workbook package around the given worksheet and shared strings parts.
inline std::vector<std::byte> PackageAround(const std::string& sheet, const std::string& sharedStrings) {
  return StoredZip({
      {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                      "</Relationships>"},
      {"xl/workbook.xml", "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel + "\"><sheets>"
                          "<sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" + kRel + "/worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/>"
       "<Relationship Id=\"rId2\" Type=\"" + kRel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
       "</Relationships>"},
      {"xl/worksheets/sheet1.xml", sheet},
      {"xl/sharedStrings.xml", sharedStrings},
  });
}

inline const std::string kSeedSheet =
    "<worksheet xmlns=\"" + kMain + "\"><dimension ref=\"A1:C4\"/><sheetData>"
    "<row r=\"1\"><c r=\"A1\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c></row>"
    "<row><c t=\"inlineStr\"><is><r><t>in</t></r><rPh><t>x</t></rPh></is></c><c t=\"b\"><v>1</v></c>"
    "<c t=\"e\"><v>#N/A</v></c></row>"
    "<row r=\"4\"><c r=\"A4\" t=\"str\"><f>A1</f><v>t&amp;x</v></c><c r=\"B4\" t=\"d\"><v>2024-01-01</v></c>"
    "<c><v><![CDATA[1e-7]]></v></c></row></sheetData></worksheet>";

inline const std::string kSeedSharedStrings =
    "<sst xmlns=\"" + kMain + "\" count=\"3\" uniqueCount=\"3\"><si><t>血压</t></si>"
    "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">a_x000D_ </t></r><r><t>b</t></r></si>"
    "<si><t>c</t><rPh sb=\"0\" eb=\"1\"><t>p</t></rPh></si></sst>";

}  // namespace kelvasta::fuzz
