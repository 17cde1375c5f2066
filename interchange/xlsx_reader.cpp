#include "interchange/xlsx_reader.h"

#include <zip.h>

#include <QIODevice>
#include <QXmlStreamReader>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "interchange/cell_text.h"
#include "interchange/worksheet_scanner.h"

namespace kelvasta {
namespace {

struct ZipDiscarder {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscarder>;
using ZipEntry = std::unique_ptr<zip_file_t, ZipFileCloser>;

// A zip entry as a sequential device, so QXmlStreamReader pulls the part as
// it inflates instead of holding all of it.
class ZipEntryDevice final : public QIODevice {
 public:
  explicit ZipEntryDevice(zip_file_t* file) : file_(file) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return true; }
  bool failed() const { return failed_; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    zip_int64_t got = zip_fread(file_, data, static_cast<zip_uint64_t>(maxSize));
    if (got < 0) {
      failed_ = true;
      return -1;
    }
    return got;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  zip_file_t* file_;
  bool failed_ = false;
};

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // resolved part name
};

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string ToStd(QStringView text) { return text.toString().toStdString(); }

class Package {
 public:
  explicit Package(zip_t* archive) : archive_(archive) {}

  WorkbookError ReadFirstWorksheet(SheetCollector& sheet);

 private:
  // Opens a part; a missing part gives nullptr with error None.
  ZipEntry Open(const std::string& name, WorkbookError& error);
  WorkbookError ReadRelationships(const std::string& part, std::vector<Relationship>& out,
                                  bool& found);
  WorkbookError ReadWorkbook(const std::string& part, std::vector<std::string>& sheetIds,
                             bool& date1904);
  WorkbookError ReadSharedStrings(const std::string& part, std::vector<std::string>& out);

  ZipArchive archive_;
};

ZipEntry Package::Open(const std::string& name, WorkbookError& error) {
  error = WorkbookError::None;
  zip_int64_t index = zip_name_locate(archive_.get(), name.c_str(), 0);
  if (index < 0) {
    index = zip_name_locate(archive_.get(), name.c_str(), ZIP_FL_NOCASE);
  }
  if (index < 0) {
    return nullptr;
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
      (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
    error = WorkbookError::Encrypted;
    return nullptr;
  }
  zip_file_t* file = zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) {
    int code = zip_error_code_zip(zip_get_error(archive_.get()));
    error = (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD) ? WorkbookError::Encrypted
                                                                     : WorkbookError::Corrupt;
    return nullptr;
  }
  return ZipEntry(file);
}

WorkbookError Package::ReadRelationships(const std::string& part, std::vector<Relationship>& out,
                                         bool& found) {
  std::string relsName;
  std::size_t slash = part.rfind('/');
  std::string directory = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  relsName = directory + "_rels/" + file + ".rels";
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(relsName, error);
  found = entry != nullptr;
  if (!entry) {
    return error;
  }
  ZipEntryDevice device(entry.get());
  QXmlStreamReader reader(&device);
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement ||
        reader.name() != QLatin1StringView("Relationship")) {
      continue;
    }
    QXmlStreamAttributes attributes = reader.attributes();
    if (attributes.value(QLatin1StringView("TargetMode")) == QLatin1StringView("External")) {
      continue;
    }
    Relationship relationship;
    relationship.id = ToStd(attributes.value(QLatin1StringView("Id")));
    relationship.type = ToStd(attributes.value(QLatin1StringView("Type")));
    relationship.target =
        ResolvePartName(part, ToStd(attributes.value(QLatin1StringView("Target"))));
    out.push_back(std::move(relationship));
  }
  return reader.hasError() || device.failed() ? WorkbookError::Corrupt : WorkbookError::None;
}

WorkbookError Package::ReadWorkbook(const std::string& part, std::vector<std::string>& sheetIds,
                                    bool& date1904) {
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(part, error);
  if (!entry) {
    return error == WorkbookError::None ? WorkbookError::NotAWorkbook : error;
  }
  ZipEntryDevice device(entry.get());
  QXmlStreamReader reader(&device);
  bool sawRoot = false;
  while (!reader.atEnd()) {
    QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1StringView("sheets")) {
      return WorkbookError::None;
    }
    if (token != QXmlStreamReader::StartElement) {
      continue;
    }
    QStringView name = reader.name();
    if (!sawRoot) {
      if (name != QLatin1StringView("workbook")) {
        return WorkbookError::NotAWorkbook;
      }
      sawRoot = true;
    } else if (name == QLatin1StringView("workbookPr")) {
      QStringView flag = reader.attributes().value(QLatin1StringView("date1904"));
      date1904 = flag == QLatin1StringView("1") || flag == QLatin1StringView("true");
    } else if (name == QLatin1StringView("sheet")) {
      std::string id;
      for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        if (attribute.name() == QLatin1StringView("id") &&
            attribute.namespaceUri().endsWith(QLatin1StringView("relationships"))) {
          id = ToStd(attribute.value());
        }
      }
      sheetIds.push_back(std::move(id));
    }
  }
  if (!sawRoot && !device.failed()) {
    return WorkbookError::NotAWorkbook;
  }
  return WorkbookError::Corrupt;
}

WorkbookError Package::ReadSharedStrings(const std::string& part, std::vector<std::string>& out) {
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(part, error);
  if (!entry) {
    return error;  // no table: a cell that refers to one is Corrupt later
  }
  ZipEntryDevice device(entry.get());
  QXmlStreamReader reader(&device);
  QString item;
  bool inItem = false;
  while (!reader.atEnd()) {
    QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::StartElement) {
      QStringView name = reader.name();
      if (name == QLatin1StringView("si")) {
        item.clear();
        inItem = true;
      } else if (name == QLatin1StringView("rPh")) {
        reader.skipCurrentElement();  // phonetic guide, not part of the text
      } else if (name == QLatin1StringView("t") && inItem) {
        item += reader.readElementText(QXmlStreamReader::IncludeChildElements);
      }
    } else if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1StringView("si")) {
      std::string text = item.toStdString();
      DecodeOoxmlEscapes(text);
      out.push_back(std::move(text));
      inItem = false;
    }
  }
  return reader.hasError() || device.failed() ? WorkbookError::Corrupt : WorkbookError::None;
}

WorkbookError Package::ReadFirstWorksheet(SheetCollector& sheet) {
  std::string workbookPart = "xl/workbook.xml";
  std::vector<Relationship> packageRelationships;
  bool found = false;
  WorkbookError error = ReadRelationships("", packageRelationships, found);
  if (error != WorkbookError::None) {
    return error;
  }
  for (const Relationship& relationship : packageRelationships) {
    if (EndsWith(relationship.type, "/officeDocument")) {
      workbookPart = relationship.target;
      break;
    }
  }
  if (EndsWith(workbookPart, ".bin")) {
    return WorkbookError::NotAWorkbook;  // binary workbook (.xlsb)
  }

  std::vector<std::string> sheetIds;
  bool date1904 = false;
  if ((error = ReadWorkbook(workbookPart, sheetIds, date1904)) != WorkbookError::None) {
    return error;
  }
  std::vector<Relationship> relationships;
  if ((error = ReadRelationships(workbookPart, relationships, found)) != WorkbookError::None) {
    return error;
  }
  if (!found) {
    return WorkbookError::Corrupt;
  }

  // The first sheet that is a worksheet; chart and dialog sheets are skipped.
  std::optional<std::string> sheetPart;
  for (const std::string& id : sheetIds) {
    auto match = std::find_if(relationships.begin(), relationships.end(),
                              [&](const Relationship& r) { return r.id == id; });
    if (match == relationships.end()) {
      return WorkbookError::Corrupt;
    }
    if (EndsWith(match->type, "/worksheet")) {
      sheetPart = match->target;
      break;
    }
  }
  if (!sheetPart) {
    return WorkbookError::Corrupt;
  }

  std::vector<std::string> sharedStrings;
  for (const Relationship& relationship : relationships) {
    if (EndsWith(relationship.type, "/sharedStrings")) {
      if ((error = ReadSharedStrings(relationship.target, sharedStrings)) != WorkbookError::None) {
        return error;
      }
      break;
    }
  }

  ZipEntry entry = Open(*sheetPart, error);
  if (!entry) {
    return error == WorkbookError::None ? WorkbookError::Corrupt : error;
  }
  zip_file_t* file = entry.get();
  ByteSource source = [file](char* buffer, std::size_t size) -> std::int64_t {
    return zip_fread(file, buffer, size);
  };
  return ScanWorksheet(source, sharedStrings, date1904, sheet);
}

WorkbookError ReadFromSource(zip_source_t* source, SheetCollector& sheet) {
  zip_error_t error;
  zip_error_init(&error);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  int code = zip_error_code_zip(&error);
  zip_error_fini(&error);
  if (archive == nullptr) {
    zip_source_free(source);
    return code == ZIP_ER_OPEN || code == ZIP_ER_READ || code == ZIP_ER_NOENT
               ? WorkbookError::CannotOpen
               : WorkbookError::Corrupt;
  }
  Package package(archive);
  return package.ReadFirstWorksheet(sheet);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ResolvePartName(const std::string& source, const std::string& target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    char c = target[i];
    if (c == '%' && i + 2 < target.size() && HexDigit(target[i + 1]) >= 0 &&
        HexDigit(target[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigit(target[i + 1]) * 16 + HexDigit(target[i + 2]));
      i += 2;
    } else {
      decoded += c == '\\' ? '/' : c;
    }
  }
  std::string joined;
  if (!decoded.empty() && decoded.front() == '/') {
    joined = decoded;
  } else {
    std::size_t slash = source.rfind('/');
    joined = (slash == std::string::npos ? "" : source.substr(0, slash + 1)) + decoded;
  }
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t slash = joined.find('/', start);
    std::size_t end = slash == std::string::npos ? joined.size() : slash;
    std::string segment = joined.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) {
        segments.pop_back();
      }
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(std::move(segment));
    }
    if (slash == std::string::npos) {
      break;
    }
    start = slash + 1;
  }
  std::string part;
  for (const std::string& segment : segments) {
    if (!part.empty()) {
      part += '/';
    }
    part += segment;
  }
  return part;
}

WorkbookError ReadXlsxFile(const std::string& path, SheetCollector& sheet) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
  zip_error_fini(&error);
  if (source == nullptr) {
    return WorkbookError::CannotOpen;
  }
  return ReadFromSource(source, sheet);
}

WorkbookError ReadXlsxMemory(std::span<const std::byte> bytes, SheetCollector& sheet) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_error_fini(&error);
  if (source == nullptr) {
    return WorkbookError::Corrupt;
  }
  return ReadFromSource(source, sheet);
}

}  // namespace kelvasta
