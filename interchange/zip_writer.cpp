#include "interchange/zip_writer.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace kelvasta {
namespace {

constexpr std::uint64_t kMax32 = 0xFFFFFFFF;
constexpr std::uint16_t kZip64Field = 0x0001;
constexpr std::size_t kOutputBytes = std::size_t{1} << 18;
// zlib counts its input in 32-bit units.
constexpr std::size_t kMaxDeflateInput = std::size_t{1} << 30;

bool WriteFully(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Little-endian fields of the zip headers.
class Bytes {
 public:
  Bytes& U16(std::uint64_t v) { return Put(v, 2); }
  Bytes& U32(std::uint64_t v) { return Put(v, 4); }
  Bytes& U64(std::uint64_t v) { return Put(v, 8); }
  Bytes& Text(std::string_view text) {
    data_.append(text);
    return *this;
  }
  const std::string& data() const { return data_; }

 private:
  Bytes& Put(std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i) data_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return *this;
  }
  std::string data_;
};

}  // namespace

// Raw deflate and CRC of one entry, written straight to the file; with a
// thread, the pieces queue up (at most two) and are compressed in order.
class ZipWriter::Compressor {
 public:
  Compressor(int fd, bool threaded) : fd_(fd), output_(kOutputBytes) {
    ready_ = deflateInit2(&z_, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    spare_.reserve(4);  // the thread never allocates
    try {
      if (ready_ && threaded) thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No thread to be had: the pieces are compressed as they come.
    }
  }

  ~Compressor() {
    Stop();
    if (ready_) deflateEnd(&z_);
  }

  bool Feed(std::string& piece) {
    if (!thread_.joinable()) {
      const bool ok = Compress(piece, Z_NO_FLUSH);
      piece.clear();
      return ok;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < 2 || failed_; });
    if (failed_) return false;
    queue_.push_back(std::move(piece));
    piece.clear();
    if (!spare_.empty()) {
      piece.swap(spare_.back());
      spare_.pop_back();
    }
    changed_.notify_all();
    return true;
  }

  // Compresses what is left and ends the stream.
  bool Close(Entry& entry) {
    Stop();
    const bool ok = !failed_ && Compress({}, Z_FINISH);
    entry.crc = crc_;
    entry.uncompressed = z_.total_in;
    entry.compressed = z_.total_out;
    return ok;
  }

 private:
  void Stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
      if (queue_.empty()) return;
      std::string piece = std::move(queue_.front());
      const bool skip = failed_;
      lock.unlock();
      const bool ok = !skip && Compress(piece, Z_NO_FLUSH);
      piece.clear();
      lock.lock();
      queue_.pop_front();
      failed_ = failed_ || !ok;
      spare_.push_back(std::move(piece));
      changed_.notify_all();
    }
  }

  bool Compress(std::string_view data, int flush) {
    if (!ready_) return false;
    do {
      const std::size_t take = std::min(data.size(), kMaxDeflateInput);
      if (take > 0) crc_ = static_cast<std::uint32_t>(crc32_z(crc_, reinterpret_cast<const Bytef*>(data.data()), take));
      z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
      z_.avail_in = static_cast<uInt>(take);
      data.remove_prefix(take);
      const int mode = data.empty() ? flush : Z_NO_FLUSH;
      int result = Z_OK;
      do {
        z_.next_out = output_.data();
        z_.avail_out = static_cast<uInt>(output_.size());
        result = deflate(&z_, mode);
        if (result == Z_STREAM_ERROR) return false;
        const std::size_t produced = output_.size() - z_.avail_out;
        if (produced > 0 && !WriteFully(fd_, output_.data(), produced)) return false;
      } while (z_.avail_out == 0 || (mode == Z_FINISH && result != Z_STREAM_END));
    } while (!data.empty());
    return true;
  }

  int fd_;
  z_stream z_{};
  bool ready_ = false;
  std::uint32_t crc_ = 0;
  std::vector<unsigned char> output_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
  std::vector<std::string> spare_;
  bool closing_ = false, failed_ = false;
  std::thread thread_;
};

ZipWriter::ZipWriter(int fd) : fd_(fd) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) != nullptr && local.tm_year >= 80) {
    dosTime_ = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    dosDate_ = static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  } else {
    dosDate_ = (1 << 5) | 1;  // 1980-01-01
  }
}

ZipWriter::~ZipWriter() = default;

bool ZipWriter::Put(const void* data, std::size_t size) {
  ok_ = ok_ && WriteFully(fd_, data, size);
  position_ += size;
  return ok_;
}

bool ZipWriter::WriteLocalHeader(const Entry& entry) {
  Bytes header;
  header.U32(0x04034b50).U16(entry.large ? 45 : 20).U16(0).U16(8).U16(dosTime_).U16(dosDate_);
  header.U32(0).U32(entry.large ? kMax32 : 0).U32(entry.large ? kMax32 : 0);
  header.U16(entry.name.size()).U16(entry.large ? 20 : 0).Text(entry.name);
  if (entry.large) header.U16(kZip64Field).U16(16).U64(0).U64(0);
  return Put(header.data().data(), header.data().size());
}

// The CRC and sizes, known once the data is written.
bool ZipWriter::PatchLocalHeader(const Entry& entry) {
  Bytes sizes;
  std::uint64_t at = entry.offset + 14;
  if (entry.large) {
    if (::pwrite(fd_, Bytes().U32(entry.crc).data().data(), 4, static_cast<off_t>(at)) != 4) return ok_ = false;
    sizes.U64(entry.uncompressed).U64(entry.compressed);
    at = entry.offset + 30 + entry.name.size() + 4;
  } else {
    if (entry.compressed > kMax32 || entry.uncompressed > kMax32) return ok_ = false;
    sizes.U32(entry.crc).U32(entry.compressed).U32(entry.uncompressed);
  }
  const ssize_t written = ::pwrite(fd_, sizes.data().data(), sizes.data().size(), static_cast<off_t>(at));
  return ok_ = ok_ && written == static_cast<ssize_t>(sizes.data().size());
}

bool ZipWriter::Add(std::string_view name, std::string_view data) {
  std::string piece(data);
  return Start(name, false, false) && Write(piece) && End();
}

bool ZipWriter::Begin(std::string_view name, bool large) { return Start(name, large, true); }

bool ZipWriter::Start(std::string_view name, bool large, bool threaded) {
  if (!ok_ || compressor_) return ok_ = false;
  entries_.push_back({std::string(name), 0, 0, 0, position_, large});
  if (!WriteLocalHeader(entries_.back())) return false;
  compressor_ = std::make_unique<Compressor>(fd_, threaded);
  return true;
}

bool ZipWriter::Write(std::string& piece) {
  ok_ = ok_ && compressor_ && compressor_->Feed(piece);
  return ok_;
}

bool ZipWriter::End() {
  if (!compressor_) return ok_ = false;
  Entry& entry = entries_.back();
  ok_ = compressor_->Close(entry) && ok_;
  compressor_.reset();
  position_ += entry.compressed;
  return ok_ && PatchLocalHeader(entry);
}

bool ZipWriter::Finish() {
  if (!ok_ || compressor_) return ok_ = false;
  const std::uint64_t directoryStart = position_;
  Bytes directory;
  for (const Entry& entry : entries_) {
    const bool farOffset = entry.offset >= kMax32;
    Bytes extra;
    if (entry.large) extra.U64(entry.uncompressed).U64(entry.compressed);
    if (farOffset) extra.U64(entry.offset);
    const bool zip64 = entry.large || farOffset;
    directory.U32(0x02014b50).U16(zip64 ? 45 : 20).U16(zip64 ? 45 : 20).U16(0).U16(8).U16(dosTime_).U16(dosDate_);
    directory.U32(entry.crc).U32(entry.large ? kMax32 : entry.compressed).U32(entry.large ? kMax32 : entry.uncompressed);
    directory.U16(entry.name.size()).U16(zip64 ? extra.data().size() + 4 : 0).U16(0).U16(0).U16(0).U32(0);
    directory.U32(farOffset ? kMax32 : entry.offset).Text(entry.name);
    if (zip64) directory.U16(kZip64Field).U16(extra.data().size()).Text(extra.data());
  }
  const std::uint64_t directorySize = directory.data().size();
  const std::uint64_t count = entries_.size();
  if (directoryStart >= kMax32) {
    const std::uint64_t recordStart = directoryStart + directorySize;
    directory.U32(0x06064b50).U64(44).U16(45).U16(45).U32(0).U32(0).U64(count).U64(count);
    directory.U64(directorySize).U64(directoryStart);
    directory.U32(0x07064b50).U32(0).U64(recordStart).U32(1);
  }
  directory.U32(0x06054b50).U16(0).U16(0).U16(count).U16(count).U32(directorySize);
  directory.U32(std::min(directoryStart, kMax32)).U16(0);
  return Put(directory.data().data(), directory.data().size());
}

}  // namespace kelvasta
