#include "interchange/xlsx_reader.h"

#include <zip.h>

#include <QIODevice>
#include <QXmlStreamReader>

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "interchange/cell_text.h"
#include "interchange/ods_reader.h"
#include "interchange/read_ahead.h"
#include "interchange/worksheet_scanner.h"
#include "interchange/zip_handles.h"

namespace kelvasta {
namespace {

// The workbook and relationships parts go through QXmlStreamReader, which
// holds a whole tag or text however long: such a part beyond this is not
// read. 400,000 relationships fit.
constexpr qint64 kMaxListPartBytes = qint64{64} << 20;

// A zip entry as a sequential device, so QXmlStreamReader pulls the part as
// it inflates instead of holding all of it.
class ZipEntryDevice final : public QIODevice {
 public:
  explicit ZipEntryDevice(zip_file_t* file) : file_(file) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return true; }
  bool failed() const { return failed_; }
  bool tooLarge() const { return tooLarge_; }
  // The error for a reader that stopped.
  WorkbookError Error() const { return tooLarge_ ? WorkbookError::TooMuchText : WorkbookError::Corrupt; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    zip_int64_t got = zip_fread(file_, data, static_cast<zip_uint64_t>(maxSize));
    if (got < 0 || (total_ += got) > kMaxListPartBytes) {
      tooLarge_ = got >= 0;
      failed_ = true;
      return -1;
    }
    return got;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  zip_file_t* file_;
  qint64 total_ = 0;
  bool failed_ = false;
  bool tooLarge_ = false;
};

// What a relationship is for; only these few kinds are ever looked at, so
// the long type URIs are not kept.
enum class RelationshipKind { Other, OfficeDocument, Worksheet, SharedStrings, Styles };

struct Relationship {
  RelationshipKind kind = RelationshipKind::Other;
  std::string target;  // resolved part name
};

// The relationships of one part by id (the first of a repeated id counts),
// and the first target of the two kinds looked up by type.
struct Relationships {
  std::unordered_map<std::string, Relationship> byId;
  std::string officeDocument;
  std::string sharedStrings;
  std::string styles;
};

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

RelationshipKind KindOf(QStringView type) {
  if (type.endsWith(QLatin1StringView("/officeDocument"))) return RelationshipKind::OfficeDocument;
  if (type.endsWith(QLatin1StringView("/worksheet"))) return RelationshipKind::Worksheet;
  if (type.endsWith(QLatin1StringView("/sharedStrings"))) return RelationshipKind::SharedStrings;
  if (type.endsWith(QLatin1StringView("/styles"))) return RelationshipKind::Styles;
  return RelationshipKind::Other;
}

std::string ToStd(QStringView text) { return text.toString().toStdString(); }

class Package {
 public:
  Package(zip_t* archive, SheetCollector& sheet) : archive_(archive), sheet_(sheet) {}

  WorkbookError ReadFirstWorksheet();

 private:
  // Opens a part; a missing part gives nullptr with error None.
  ZipEntry Open(const std::string& name, WorkbookError& error);
  WorkbookError ReadRelationships(const std::string& part, Relationships& out, bool& found);
  // Finds the chosen <sheet> among those whose relationship is a worksheet,
  // reading no further than it unless the names of all are wanted.
  WorkbookError ReadWorkbook(const std::string& part, const Relationships* relationships,
                             std::string& sheetPart, bool& date1904);
  WorkbookError ReadSharedStrings(const std::string& part, std::vector<std::string>& out);
  WorkbookError ReadStyleDates(const std::string& part, std::vector<DateKind>& out);

  ZipArchive archive_;
  SheetCollector& sheet_;
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

// QXmlStreamReader detects UTF-16 parts by itself.
WorkbookError Package::ReadRelationships(const std::string& part, Relationships& out, bool& found) {
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
  std::size_t count = 0;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement ||
        reader.name() != QLatin1StringView("Relationship")) {
      continue;
    }
    QXmlStreamAttributes attributes = reader.attributes();
    if (attributes.value(QLatin1StringView("TargetMode")) == QLatin1StringView("External")) {
      continue;
    }
    if (++count > sheet_.limits().maxSharedStrings) {
      return WorkbookError::TooMuchText;
    }
    std::string id = ToStd(attributes.value(QLatin1StringView("Id")));
    Relationship relationship;
    relationship.kind = KindOf(attributes.value(QLatin1StringView("Type")));
    relationship.target = ResolvePartName(part, ToStd(attributes.value(QLatin1StringView("Target"))));
    error = sheet_.Hold(sizeof(decltype(out.byId)::value_type) + 2 * sizeof(void*) + id.size() +
                        relationship.target.size());
    if (error != WorkbookError::None) {
      return error;
    }
    if (relationship.kind == RelationshipKind::OfficeDocument && out.officeDocument.empty()) {
      out.officeDocument = relationship.target;
    } else if (relationship.kind == RelationshipKind::SharedStrings && out.sharedStrings.empty()) {
      out.sharedStrings = relationship.target;
    } else if (relationship.kind == RelationshipKind::Styles && out.styles.empty()) {
      out.styles = relationship.target;
    }
    out.byId.try_emplace(std::move(id), std::move(relationship));
  }
  return reader.hasError() || device.failed() ? device.Error() : WorkbookError::None;
}

WorkbookError Package::ReadWorkbook(const std::string& part, const Relationships* relationships,
                                    std::string& sheetPart, bool& date1904) {
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(part, error);
  if (!entry) {
    return error == WorkbookError::None ? WorkbookError::NotAWorkbook : error;
  }
  ZipEntryDevice device(entry.get());
  QXmlStreamReader reader(&device);
  bool sawRoot = false;
  int worksheets = 0;
  while (!reader.atEnd()) {
    QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::EndElement && reader.name() == QLatin1StringView("sheets")) {
      if (!sheetPart.empty()) {
        return WorkbookError::None;
      }
      // No worksheet among the sheets, or fewer than the chosen one.
      return worksheets == 0 ? WorkbookError::Corrupt : WorkbookError::NotAWorkbook;
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
      if (relationships == nullptr) {
        return WorkbookError::Corrupt;  // a workbook without relationships names no sheet
      }
    } else if (name == QLatin1StringView("workbookPr")) {
      QStringView flag = reader.attributes().value(QLatin1StringView("date1904"));
      date1904 = flag == QLatin1StringView("1") || flag == QLatin1StringView("true");
    } else if (name == QLatin1StringView("sheet")) {
      // The first sheet that is a worksheet; chart and dialog sheets are skipped.
      std::string id;
      for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        if (attribute.name() == QLatin1StringView("id") &&
            attribute.namespaceUri().endsWith(QLatin1StringView("relationships"))) {
          id = ToStd(attribute.value());
        }
      }
      auto match = relationships->byId.find(id);
      if (match == relationships->byId.end()) {
        return WorkbookError::Corrupt;
      }
      if (match->second.kind == RelationshipKind::Worksheet) {
        if (worksheets++ == sheet_.sheetIndex()) {
          sheetPart = match->second.target;
          if (!sheet_.listsNames()) {
            return WorkbookError::None;
          }
        }
        if (sheet_.listsNames()) {
          std::string sheetName = ToStd(reader.attributes().value(QLatin1StringView("name")));
          if (WorkbookError held = sheet_.HoldText(sheetName.size()); held != WorkbookError::None) {
            return held;
          }
          sheet_.AddSheetName(std::move(sheetName));
        }
      }
    }
  }
  if (!sawRoot && !device.failed()) {
    return WorkbookError::NotAWorkbook;
  }
  return device.Error();
}

// Read with the worksheet's own scanner: a general parser would hold any
// text, however long, before the length could be checked.
WorkbookError Package::ReadSharedStrings(const std::string& part, std::vector<std::string>& out) {
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(part, error);
  if (!entry) {
    return error;  // no table: a cell that refers to one is Corrupt later
  }
  zip_file_t* file = entry.get();
  ByteSource source = AsUtf8([file](char* buffer, std::size_t size) -> std::int64_t {
    return zip_fread(file, buffer, size);
  });
  return ScanSharedStrings(source, sheet_, out);
}

WorkbookError Package::ReadStyleDates(const std::string& part, std::vector<DateKind>& out) {
  WorkbookError error = WorkbookError::None;
  ZipEntry entry = Open(part, error);
  if (!entry) {
    return error == WorkbookError::Encrypted ? error : WorkbookError::None;
  }
  zip_file_t* file = entry.get();
  ByteSource source = AsUtf8([file](char* buffer, std::size_t size) -> std::int64_t {
    return zip_fread(file, buffer, size);
  });
  return ScanStyleDates(source, sheet_.limits().maxTextBytes, out);
}

WorkbookError Package::ReadFirstWorksheet() {
  std::string workbookPart = "xl/workbook.xml";
  Relationships packageRelationships;
  bool found = false;
  WorkbookError error = ReadRelationships("", packageRelationships, found);
  if (error != WorkbookError::None) {
    return error;
  }
  if (!packageRelationships.officeDocument.empty()) {
    workbookPart = packageRelationships.officeDocument;
  }
  if (EndsWith(workbookPart, ".bin")) {
    return WorkbookError::NotAWorkbook;  // binary workbook (.xlsb)
  }

  Relationships relationships;
  if ((error = ReadRelationships(workbookPart, relationships, found)) != WorkbookError::None) {
    return error;
  }
  std::string sheetPart;
  bool date1904 = false;
  if ((error = ReadWorkbook(workbookPart, found ? &relationships : nullptr, sheetPart, date1904)) !=
      WorkbookError::None) {
    return error;
  }

  std::vector<std::string> sharedStrings;
  if (!relationships.sharedStrings.empty() &&
      (error = ReadSharedStrings(relationships.sharedStrings, sharedStrings)) != WorkbookError::None) {
    return error;
  }
  std::vector<DateKind> styleDates;
  if (!relationships.styles.empty() &&
      (error = ReadStyleDates(relationships.styles, styleDates)) != WorkbookError::None) {
    return error;
  }
  relationships.byId.clear();

  ZipEntry entry = Open(sheetPart, error);
  if (!entry) {
    return error == WorkbookError::None ? WorkbookError::Corrupt : error;
  }
  // The part inflates on a thread of its own while this one scans it.
  zip_file_t* file = entry.get();
  ReadAhead inflated([file](char* buffer, std::size_t size) -> std::int64_t {
    return zip_fread(file, buffer, size);
  });
  ByteSource source = AsUtf8([&inflated](char* buffer, std::size_t size) { return inflated.Read(buffer, size); });
  return ScanWorksheet(source, sharedStrings, styleDates, date1904, sheet_);
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
  if (IsOpenDocument(archive)) {
    return ReadOdsArchive(archive, sheet);
  }
  Package package(archive, sheet);
  return package.ReadFirstWorksheet();
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

WorkbookError ReadXlsxFile(std::FILE* file, SheetCollector& sheet) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_filep_create(file, 0, -1, &error);
  zip_error_fini(&error);
  if (source == nullptr) {
    std::fclose(file);
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
