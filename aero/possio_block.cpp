#include "aero/possio_block.hpp"

namespace zelvan::aero {
namespace {
PossioBlock g_block;
}

PossioBlock& possio_block() { return g_block; }

void reset_possio_block() { g_block = PossioBlock{}; }

}  // namespace zelvan::aero
