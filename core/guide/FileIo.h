#pragma once

// Whole-file reading and writing for the tools around the wizard. A failure
// names the file, and its detail is the system's error text (strerror),
// e.g. "No such file or directory".

#include "guide/FileRead.h" // ReadWholeFile
#include "res/Diagnostic.h"

#include <string>
#include <string_view>

namespace pos {

// Writes text to path so that nothing that stood there is lost; message 50205
// (with the system's reason) on any failure, which leaves path as it was.
// - A regular file, or a new one, is written whole or not at all: the text
//   goes into a short temporary file beside it (".pos-tmp-..."), made with
//   mode 0600 and given the old file's owner and group (where the process
//   may) and mode before any byte is written (a new file: 0666 less the
//   umask), flushed to the disk and renamed over path; the folder is flushed
//   too. Temporaries that killed writes of the same file left are removed.
// - A file with other hard links, or in a folder that refuses new files while
//   the file itself is writable, is rewritten in place once the room for the
//   text is reserved: same inode, owner, mode and links.
// - A symbolic link is followed (relative ones from their own folder, also
//   when the target does not exist yet) and its target written; the link
//   stays.
// - A character device (/dev/null, a terminal) or a named pipe is written
//   through, and every error of the write counts ("No space left on device"
//   on /dev/full). A pipe that no program reads is refused (message 50541)
//   at once, without waiting. Whatever reaches a process's own descriptor
//   (/dev/stdout, /dev/fd/N) is written through as well, appended to a
//   regular file there.
// - A directory is refused (EISDIR); so is any other kind of file (block
//   devices, sockets: message 50542).
// On Windows (path in UTF-8):
// - A regular file, or a new one, is written whole or not at all through a
//   temporary file beside it, given the old file's access list and plain
//   attributes before any byte is written, flushed and renamed over path
//   (MoveFileExW, write-through; a new file replaces nothing that appeared
//   meanwhile). Since no file can be renamed over while a program has it
//   open, a file held open is tried again for about a second; one held
//   longer is refused unchanged (message 50700 when the holder does not
//   share it). Stale temporaries are removed as above.
// - A file with other hard links, or in a folder that refuses new files, is
//   rewritten in place as above; a symbolic link is followed, its target
//   written and the link kept.
// - A folder is refused (EISDIR); a device (NUL, CON, COM1, also as a file
//   name such as "NUL.txt" in any folder) or a pipe is refused as not a
//   regular file (message 50205 with 50593): nothing is written to it. A
//   stream of a file ("out.il:extra") is refused as an invalid name.
Status WriteWholeFile(const std::string &path, std::string_view text);

// The absolute path of the file at path once every link is followed; empty
// when there is no file there or it cannot be reached.
std::string RealPath(const std::string &path);

// The name of WriteWholeFile's temporaries of a file begins with this: a
// fixed part and a hash of the file's name (the last part of its path).
std::string TemporaryPrefix(std::string_view fileName);

// Refuses (message 50540, naming both) to write the output onto the input:
// when both paths lead to the same regular file, however they are spelled.
Status CheckOutputIsNotInput(const std::string &input, const std::string &output);

} // namespace pos
