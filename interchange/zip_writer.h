#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// Writes a zip archive to a seekable file descriptor, entry after entry,
// each deflated at zlib's fastest level. A large entry is streamed: its text
// is handed over in pieces and compressed on a second thread while the next
// piece is made. Every call returns false once anything failed (a write, the
// compressor, an entry beyond 4 GiB not announced as large); the archive is
// then unusable and the caller discards the file.
class ZipWriter {
 public:
  explicit ZipWriter(int fd);
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // A whole entry at once.
  bool Add(std::string_view name, std::string_view data);

  // A streamed entry: Begin, any number of Write, End. `large` gives the
  // entry Zip64 sizes, which any entry that may pass 4 GiB needs.
  bool Begin(std::string_view name, bool large);
  // Takes the piece's text (leaving `piece` empty, its storage possibly
  // reused) and returns at once unless two pieces are already waiting.
  bool Write(std::string& piece);
  bool End();

  // Writes the central directory; the archive is complete after it.
  bool Finish();

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0, uncompressed = 0, offset = 0;
    bool large = false;
  };
  class Compressor;

  bool Start(std::string_view name, bool large, bool threaded);
  bool WriteLocalHeader(const Entry& entry);
  bool PatchLocalHeader(const Entry& entry);
  bool Put(const void* data, std::size_t size);

  int fd_;
  std::uint64_t position_ = 0;
  std::uint16_t dosTime_ = 0, dosDate_ = 0;
  bool ok_ = true;
  std::vector<Entry> entries_;
  std::unique_ptr<Compressor> compressor_;
};

}  // namespace kelvasta
