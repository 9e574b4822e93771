#include "driver/getarg.hpp"

#include "driver/messages.hpp"
#include "textio/textio.hpp"

namespace zelvan::driver {
namespace {
std::vector<std::string> g_words{"zelvan"};
}

void set_command_line(std::span<const std::string> words) {
  g_words.assign(words.begin(), words.end());
  if (g_words.empty()) g_words.emplace_back("zelvan");
}

const std::vector<std::string>& command_line() { return g_words; }

void GETARG(int n, std::string& s) {
  const auto count = static_cast<int>(g_words.size());
  const std::size_t length = s.size();
  s.assign(length, ' ');
  if (count < n) {
    static const textio::Layout kMessage(msg::kGetargMissing);
    textio::write(textio::console(), kMessage, {n});
    return;
  }
  if (n >= 0 && n < count) {
    const std::string& word = g_words[static_cast<std::size_t>(n)];
    s = word.substr(0, length);
    s.resize(length, ' ');
  }
}

}  // namespace zelvan::driver
