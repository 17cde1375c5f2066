#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace kelvasta {

// Writes `bytes` to a new hidden file in the folder of `path`, flushes it to
// the disk and renames it over `path`, so that a reader sees either the old
// file or the whole new one, never part of it. A file that was there keeps
// its permissions; a new one gets the usual ones (0666 less the umask). On
// any failure the temporary file is removed, `path` is left as it was and
// the result is false.
bool ReplaceFileContents(const std::string& path, std::span<const std::byte> bytes);

}  // namespace kelvasta
