#pragma once
// Moving and removing single files, each failure stopping the run with one
// line on standard error that names the file and the reason.

#include <string>
#include <system_error>

namespace platform {

// Renames `from` to `to`, replacing an existing file `to`. Across file
// systems, where no rename works, the file is copied through a temporary file
// beside `to` and `from` is removed once the copy is in place.
void moveFile(const std::string& from, const std::string& to);

// Moves `file` into `directory` under its own name, replacing a file of that
// name there.
void moveFileInto(const std::string& file, const std::string& directory);

// Removes the file at `path` when there is one; a file that stays is a
// failure. A folder of that name is no file and is left alone.
void removeFileIfPresent(const std::string& path);

// Gives `file` a second name, `name`, in the same folder: a symbolic link on
// POSIX; on Windows, where making one needs rights a user seldom has, a hard
// link, or a copy where the file system has no links. `error` says why not.
void linkBeside(const std::string& file, const std::string& name, std::error_code& error);

// Removes the file at `path`, if any, and reports nothing: for cleaning up
// after a failure that is being reported already.
void removeFile(const std::string& path);

}  // namespace platform
