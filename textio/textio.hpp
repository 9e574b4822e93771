// Record formatting: the fixed-column record layouts by which every line
// of the program is read and written.
//
//   static const textio::Layout kRow("(F12.2,15F12.5,F12.2)");
//   textio::write(textio::console(), kRow, {q, u0, ...});
//   source.read(kRecord, {&t_a, &title}, "record 1 (t_A, title)");
#pragma once

#include "textio/console.hpp"
#include "textio/folder_lock.hpp"
#include "textio/layout.hpp"
#include "textio/output_file.hpp"
#include "textio/record_reader.hpp"
#include "textio/record_writer.hpp"
#include "textio/stop.hpp"
