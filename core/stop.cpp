#include "core/stop.hpp"

#include <utility>

namespace zelvan::core {

RunStop::RunStop(StopReason reason, std::string console_text)
    : reason_(reason), console_text_(std::move(console_text)) {}

}  // namespace zelvan::core
