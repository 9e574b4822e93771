// The files a signal removes: the temporaries of the result files and the
// lock file of the folder, in fixed slots that the handler of
// remove_temporaries_on_signals() reads (plain memory, unlink() only).
#pragma once

#include <cstddef>
#include <string>

namespace zelvan::textio::detail {

// What remember_for_signals() returns when it keeps nothing.
inline constexpr std::size_t kNoRemovalSlot = static_cast<std::size_t>(-1);

// Makes a signal remove `path`; returns its slot, or kNoRemovalSlot when
// none is free or the path is too long (the file then stays on a signal,
// as if the process had been killed).
std::size_t remember_for_signals(const std::string& path);

// Frees the slot (kNoRemovalSlot: nothing).
void forget_for_signals(std::size_t slot);

}  // namespace zelvan::textio::detail
