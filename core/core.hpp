// The core library: what the numerical library and the record layouts
// share.  The stop of a run (RunStop), the sink of the library's message
// lines, and the edit of one number into a field of fixed width.  It
// depends on nothing but the standard library.
#pragma once

#include "core/field_edit.hpp"
#include "core/message_sink.hpp"
#include "core/stop.hpp"
