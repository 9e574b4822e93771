#include "driver/getarg.hpp"

#include "driver/messages.hpp"
#include "driver/run_context.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {

void set_command_line(std::span<const std::string> words) {
  std::vector<std::string>& line = run_context().command_line;
  line.assign(words.begin(), words.end());
  if (line.empty()) line.emplace_back("zelvan");
}

const std::vector<std::string>& command_line() { return run_context().command_line; }

void GETARG(int n, std::string& s) {
  const std::vector<std::string>& words = command_line();
  const auto count = static_cast<int>(words.size());
  const std::size_t length = s.size();
  s.assign(length, ' ');
  if (count < n) {
    static const textio::Layout kMessage(msg::kGetargMissing);
    textio::write(textio::console(), kMessage, {n});
    return;
  }
  if (n >= 0 && n < count) {
    const std::string& word = words[static_cast<std::size_t>(n)];
    s = word.substr(0, length);
    s.resize(length, ' ');
  }
}

}  // namespace zelvan::driver
