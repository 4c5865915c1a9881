#pragma once
// Starting an outside program directly, without a command shell, and waiting
// for it.

#include <string>
#include <vector>

namespace platform {

// Runs arguments[0] with the whole vector as its arguments and waits for it to
// end. A program name without a separator is searched on PATH; one with a
// separator is taken relative to the working directory. Nothing is passed
// through a shell, so blanks and shell characters in an argument stay part of
// that one argument. Standard output and standard error are flushed first, so
// the program's output follows ours in order.
//
// Returns the program's exit status (128 + the signal number when a signal
// ended it), or -1 when it could not be started at all; then one line naming
// the program is printed on standard error.
int runProgram(const std::vector<std::string>& arguments);

// Runs the program as runProgram does, but in `directory`, with standard input
// from the null device and standard output and standard error both going to
// the file `log` (created or emptied; a relative name is taken from the
// caller's working directory, not from `directory`). A program name without a
// separator is searched on PATH only, one with a separator is taken relative
// to `directory`. When the program cannot
// be started the log holds one line naming it and why, and -1 is returned;
// -1 too, with nothing started, when the log cannot be created.
int runProgramLogged(const std::vector<std::string>& arguments, const std::string& directory,
                     const std::string& log);

}  // namespace platform
