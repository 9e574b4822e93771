// The process command line and GETARG, which fetches one word of it.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace zelvan::driver {

// Records the command line: the program's own name first, then the
// arguments.  main does this once; tests set their own.
void set_command_line(std::span<const std::string> words);

// The recorded words (the program's name included).
const std::vector<std::string>& command_line();

// GETARG(n, s): copies word n of the command line (0 is the program's
// name) into the fixed-length buffer s, cut to s.size() and blank-padded;
// s keeps its length.  When word n is the first missing one, s is set to
// blanks; when n lies further beyond, the five-line "nicht mehr vorhanden"
// message is written to the console as well.
void GETARG(int n, std::string& s);

}  // namespace zelvan::driver
