#pragma once

#include <zip.h>

#include <memory>

namespace kelvasta {

// Owners of libzip's handles: an archive opened for reading only is
// discarded, an entry closed.
struct ZipDiscarder {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscarder>;
using ZipEntry = std::unique_ptr<zip_file_t, ZipFileCloser>;

}  // namespace kelvasta
