// zelvan: aeroelastic analysis of a two-dimensional lifting section.
// Usage: zelvan [WIN|SGI|LNX [input file]], zelvan --help, zelvan --version

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/run.hpp"
#include "textio/output_file.hpp"

int main(int argc, char** argv) {
  // The console goes through the C stream stdout.  Written to a file or a
  // pipe it would be block-buffered, and a run that is killed would leave
  // an empty log: every line is handed on at its end instead.
  if (isatty(STDOUT_FILENO) == 0) std::setvbuf(stdout, nullptr, _IOLBF, 0);
  // A run interrupted (Ctrl-C) or terminated leaves no temporary file.
  zelvan::textio::remove_temporaries_on_signals();
  std::vector<std::string> words(argv, argv + argc);
  return zelvan::driver::run_zelvan(words);
}
