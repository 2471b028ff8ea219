// The GTK face's translations of the table's text.
#include "platform/gtk/main_window.h"

#include <gtest/gtest.h>

namespace veldor::gtk {
namespace {

TEST(MnemonicLabel, TurnsTheAccessKeyMarkerIntoGtksKeepingLiteralCharacters) {
    EXPECT_EQ(mnemonic_label("安 装(&I)"), "安 装(_I)");
    EXPECT_EQ(mnemonic_label("A && B"), "A & B");
    EXPECT_EQ(mnemonic_label("snake_case &Go"), "snake__case _Go");
    EXPECT_EQ(mnemonic_label("trailing&"), "trailing&");
}

TEST(UnixLineEnds, DropsTheCarriageReturnOfEachLineEndOnly) {
    EXPECT_EQ(unix_line_ends("a\r\n\r\nb\r\n"), "a\n\nb\n");
    EXPECT_EQ(unix_line_ends("lone\rcr end\r"), "lone\rcr end\r");
}

}  // namespace
}  // namespace veldor::gtk
