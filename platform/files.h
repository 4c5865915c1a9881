#pragma once
// Renaming, moving and removing single files. Like the shell commands they
// replace, these report nothing: a missing source file or a missing folder
// leaves everything as it was.

#include <string>

namespace platform {

// Renames `from` to `to`, replacing an existing file `to`.
void renameFile(const std::string& from, const std::string& to);

// Moves `file` into `directory` under its own name, replacing a file of that
// name there.
void moveFileInto(const std::string& file, const std::string& directory);

// Removes the file at `path`.
void removeFile(const std::string& path);

}  // namespace platform
