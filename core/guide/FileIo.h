#pragma once

// Whole-file reading and writing for the tools around the wizard. Reasons are
// the system's error texts (strerror), e.g. "No such file or directory".

#include <string>
#include <string_view>

namespace pos {

// Reads the whole file at path into *contents. Returns false, with the
// reason in *reason, when the file cannot be opened or read (a directory
// cannot be read).
bool ReadWholeFile(const std::string &path, std::string *contents, std::string *reason);

// Writes the file at path whole or not at all: the text goes into a new
// temporary file in the same directory, which is flushed to the disk and then
// renamed over path. On any failure the temporary file is removed, a file
// that stood at path before is left as it was, and *reason tells why. A file
// that is replaced keeps its permission bits; a new one gets 0666 less the
// umask. A symbolic link at path is replaced, not followed.
bool WriteWholeFile(const std::string &path, std::string_view text, std::string *reason);

} // namespace pos
