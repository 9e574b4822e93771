// Files of a study are replaced only by complete ones: written under a
// temporary name in the same folder, then renamed over the old file.
#pragma once

#include <filesystem>
#include <string_view>

namespace zelvan::study {

// Writes `content` to `path` through a temporary file beside it and a
// rename.  A failure leaves the old file (if any) and no temporary file
// behind, and is a StudyError naming the file and the reason.
void write_file_atomically(const std::filesystem::path& path, std::string_view content);

// The whole content of `path`; StudyError when it cannot be read.
std::string read_whole_file(const std::filesystem::path& path);

}  // namespace zelvan::study
