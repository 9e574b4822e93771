#include <gtest/gtest.h>
#include "textio/textio.hpp"
TEST(Layout, Parses) { zelvan::textio::Layout l("(F8.3)"); EXPECT_EQ(l.items().size(), 1u); }
