// Fuzz target: a whole input file, run through start-up and the input
// reader only.  Every outcome must be a normal return or a RunStop; any
// other exception, crash, hang, leak or sanitizer report is a fault.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/getarg.hpp"
#include "driver/run.hpp"
#include "driver/startup.hpp"
#include "textio/textio.hpp"

namespace {

// The input file lives in a scratch folder made the working directory, so
// its name is short and the run writes nothing anywhere else.
std::string scratch_file() {
  char folder[] = "/tmp/zelvan_fuzz_XXXXXX";
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) __builtin_trap();
  return "fuzz.inp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = scratch_file();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  zelvan::driver::reset_run_records();
  const std::vector<std::string> words{"zelvan", "WIN", path};
  zelvan::driver::set_command_line(words);
  std::ostringstream console;
  zelvan::textio::ConsoleRedirect redirect(console);
  try {
    zelvan::driver::start_up();
  } catch (const zelvan::textio::RunStop& stop) {
    if (stop.exit_status() != 1 && stop.exit_status() != 2) __builtin_trap();
    if (stop.console_text().empty()) __builtin_trap();  // every stop says why
  }
  return 0;
}
