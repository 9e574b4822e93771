// zelvan: aeroelastic analysis of a two-dimensional lifting section.
// Usage: zelvan [WIN|SGI|LNX [input file]]

#include <string>
#include <vector>

#include "driver/run.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  return zelvan::driver::run_zelvan(words);
}
