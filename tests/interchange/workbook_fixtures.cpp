#include "tests/interchange/workbook_fixtures.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kelvasta::testing {

TempDir::TempDir() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() /
          ("kelvasta-interchange-" + std::to_string(::getpid()) + "-" + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::byte> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::byte> bytes(chars.size());
  std::memcpy(bytes.data(), chars.data(), chars.size());
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::byte> BuildZip(const ZipEntries& entries, const std::string& password) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    throw std::runtime_error("zip_open_from_source failed");
  }
  zip_source_keep(buffer);
  for (const auto& [name, content] : entries) {
    void* copy = std::malloc(content.size() + 1);
    std::memcpy(copy, content.data(), content.size());
    zip_source_t* source = zip_source_buffer(archive, copy, content.size(), 1);
    zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      throw std::runtime_error("zip_file_add failed");
    }
    if (!password.empty() &&
        zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                password.c_str()) != 0) {
      throw std::runtime_error("zip_file_set_encryption failed");
    }
  }
  if (zip_close(archive) != 0) {
    throw std::runtime_error("zip_close failed");
  }
  zip_stat_t stat;
  zip_source_open(buffer);
  zip_source_stat(buffer, &stat);
  std::vector<std::byte> bytes(stat.size);
  zip_source_read(buffer, bytes.data(), stat.size);
  zip_source_close(buffer);
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

ZipEntries ReadZip(const std::string& path) {
  ZipEntries entries;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive == nullptr) return entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t stat;
    zip_file_t* file = zip_stat_index(archive, index, 0, &stat) == 0 ? zip_fopen_index(archive, index, 0) : nullptr;
    if (file == nullptr) break;
    std::string data(stat.size, '\0');
    const zip_int64_t read = zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (read != static_cast<zip_int64_t>(data.size())) break;
    entries.emplace_back(stat.name, std::move(data));
  }
  zip_discard(archive);
  return entries;
}

ZipEntries MinimalXlsx(const std::string& sheetData, const std::string& sharedStrings,
                       const std::string& sheetTarget) {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  ZipEntries entries;
  entries.emplace_back("[Content_Types].xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                       "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                       "</Types>");
  entries.emplace_back("_rels/.rels",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                       "</Relationships>");
  entries.emplace_back("xl/workbook.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">"
                       "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  std::string workbookRels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"" + sheetTarget + "\"/>";
  if (!sharedStrings.empty()) {
    workbookRels += "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
  }
  workbookRels += "</Relationships>";
  entries.emplace_back("xl/_rels/workbook.xml.rels", workbookRels);
  entries.emplace_back("xl/worksheets/sheet1.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><sheetData>" +
                           sheetData + "</sheetData></worksheet>");
  if (!sharedStrings.empty()) {
    entries.emplace_back("xl/sharedStrings.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" +
                                                     main + "\">" + sharedStrings + "</sst>");
  }
  return entries;
}

std::vector<std::uint8_t> BiffRecord(std::uint16_t id, const std::vector<std::uint8_t>& payload) {
  Bytes record;
  record.U16(id).U16(static_cast<std::uint16_t>(payload.size()));
  std::vector<std::uint8_t> bytes = record.get();
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return bytes;
}

Bytes& Bytes::U8(std::uint8_t v) {
  bytes_.push_back(v);
  return *this;
}
Bytes& Bytes::U16(std::uint16_t v) { return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(v >> 8)); }
Bytes& Bytes::U32(std::uint32_t v) {
  return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
}
Bytes& Bytes::F64(double v) {
  auto bits = std::bit_cast<std::uint64_t>(v);
  return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
}
Bytes& Bytes::Raw(const std::string& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}
Bytes& Bytes::Utf16(const std::u16string& units) {
  for (char16_t u : units) {
    U16(u);
  }
  return *this;
}

BiffStream& BiffStream::Add(std::uint16_t id, const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> record = BiffRecord(id, payload);
  bytes_.insert(bytes_.end(), record.begin(), record.end());
  return *this;
}

BiffStream& BiffStream::BoundSheet(std::uint8_t type, int index) {
  boundSheets_.emplace_back(bytes_.size() + 4, index);
  return Add(0x0085, Bytes().U32(0).U8(0).U8(type).U8(1).U8(0).Raw("S"));
}

BiffStream& BiffStream::SheetStart(int index) {
  sheets_.emplace_back(index, bytes_.size());
  return *this;
}

std::vector<std::uint8_t> BiffStream::Stream() const {
  std::vector<std::uint8_t> bytes = bytes_;
  for (const auto& [field, index] : boundSheets_) {
    for (const auto& [sheet, offset] : sheets_) {
      if (sheet == index) {
        for (int i = 0; i < 4; ++i) {
          bytes[field + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(offset >> (8 * i));
        }
      }
    }
  }
  return bytes;
}

std::vector<std::uint8_t> BofPayload(std::uint16_t version, std::uint16_t type) {
  return Bytes().U16(version).U16(type).U16(0x0DBB).U16(0x07CC).U32(0x41).U32(6);
}

std::vector<std::byte> CompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams) {
  gsf_init();
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* ole = gsf_outfile_msole_new(sink);
  for (const auto& [name, data] : streams) {
    GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
    gsf_output_write(child, data.size(), data.data());
    gsf_output_close(child);
    g_object_unref(child);
  }
  gsf_output_close(GSF_OUTPUT(ole));
  g_object_unref(ole);
  const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
  std::vector<std::byte> bytes(static_cast<std::size_t>(gsf_output_size(sink)));
  std::memcpy(bytes.data(), data, bytes.size());
  g_object_unref(sink);
  return bytes;
}

std::vector<std::uint8_t> StreamOf(const std::vector<std::byte>& compoundFile, const std::string& name) {
  gsf_init();
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(compoundFile.data()),
                                         static_cast<gsf_off_t>(compoundFile.size()), FALSE);
  GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
  g_object_unref(input);
  std::vector<std::uint8_t> bytes;
  if (ole == nullptr) {
    return bytes;
  }
  GsfInput* stream = gsf_infile_child_by_name(ole, name.c_str());
  if (stream != nullptr) {
    bytes.resize(static_cast<std::size_t>(gsf_input_size(stream)));
    gsf_input_read(stream, bytes.size(), bytes.data());
    g_object_unref(stream);
  }
  g_object_unref(ole);
  return bytes;
}

int RunPython(const std::string& script, std::string& output) {
  if (::access("/usr/bin/python3", X_OK) != 0) {
    return -1;
  }
  TempDir dir;
  std::string scriptPath = dir.File("script.py");
  std::string outputPath = dir.File("output.txt");
  std::ofstream(scriptPath) << script;
  std::string command = "/usr/bin/python3 " + scriptPath + " > " + outputPath + " 2>&1";
  int status = std::system(command.c_str());
  std::ifstream in(outputPath);
  output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool PythonHas(const std::string& module) {
  std::string output;
  return RunPython("import " + module + "\n", output) == 0;
}

bool HasLibreOffice() { return std::system("command -v soffice > /dev/null 2>&1") == 0; }

std::string ConvertWithLibreOffice(const std::string& input, const std::string& filter,
                                   const std::string& extension, const std::string& folder) {
  std::filesystem::path profile = std::filesystem::path(folder) / "libreoffice-profile";
  std::string command = "soffice -env:UserInstallation=file://" + profile.string() +
                        " --headless --convert-to '" + filter + "' --outdir '" + folder + "' '" + input +
                        "' > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) {
    return "";
  }
  std::filesystem::path output =
      std::filesystem::path(folder) / std::filesystem::path(input).stem().concat("." + extension);
  return std::filesystem::exists(output) ? output.string() : "";
}

}  // namespace kelvasta::testing
