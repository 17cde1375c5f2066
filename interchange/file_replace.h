#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "interchange/workbook.h"

namespace kelvasta {

// Writes `bytes` to a new hidden file in the folder of `path`, flushes it to
// the disk and renames it over `path`, so that a reader sees either the old
// file or the whole new one, never part of it. A file that was there keeps
// its permissions; a new one gets the usual ones (0666 less the umask).
// A symbolic link is followed to the file it names (which need not exist
// yet): that file is replaced, from a temporary file in its own folder, and
// the link stays. An existing file the user may not write, or that has no
// write permission at all (which root could otherwise write), is left alone
// and gives ReadOnlyFile; anything but a regular file, and every other
// failure, gives CannotWrite. On any failure the temporary file is removed
// and the file is left as it was.
WorkbookError ReplaceFileContents(const std::string& path, std::span<const std::byte> bytes);

// The same for a writer that fills the temporary file itself: `write` gets
// the temporary file's descriptor (open for writing) and its path, and
// returns false on failure. The file is flushed, given the old file's
// permissions and renamed into place only after `write` succeeded.
WorkbookError ReplaceFileWith(const std::string& path,
                              const std::function<bool(int fd, const std::string& temporary)>& write);

}  // namespace kelvasta
