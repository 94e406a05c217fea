#pragma once

// Whole-file reading and writing for the tools around the wizard. A failure
// names the file, and its detail is the system's error text (strerror),
// e.g. "No such file or directory".

#include "guide/FileRead.h" // ReadWholeFile
#include "res/Diagnostic.h"

#include <string>
#include <string_view>

namespace pos {

// Writes the file at path whole or not at all: the text goes into a new
// temporary file in the same directory, which is flushed to the disk and then
// renamed over path. On any failure (message 50205) the temporary file is
// removed and a file that stood at path before is left as it was. A file
// that is replaced keeps its permission bits; a new one gets 0666 less the
// umask. A symbolic link at path is replaced, not followed.
Status WriteWholeFile(const std::string &path, std::string_view text);

} // namespace pos
