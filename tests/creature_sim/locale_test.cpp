// Numbers on screen do not follow the user's locale: after the library's keyboard set-up
// adopted a decimal-comma locale, the speed message still shows a full stop.
#include "creature_sim/text_screens.h"
#include "program_shell/start_up.h"

#include "tests/creature_world/headless.h"
#include "palette/palette.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(NumericLocale, SpeedMessageKeepsTheFullStopUnderADecimalCommaLocale)
{
    start_headless_allegro();
    const DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no decimal-comma locale can be made here";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    ASSERT_STREQ(probe, "0,500000") << "the locale does not use a decimal comma";

    use_c_numeric_locale();

    MemoryBitmap target = make_bitmap(640, 480);
    char text[90];
    draw_speed_message(target.get(), text, sizeof text, 3.01, -1);
    EXPECT_STREQ(text, "speedup_factor = 3.010000");
    const int width = text_length(font, text);
    EXPECT_EQ(text_mismatch(target.get(), 625 - width, 8, "speedup_factor = 3.010000", info_color), "");
}

}  // namespace
