// Numbers on screen do not follow the user's locale: after the library's keyboard set-up
// adopted a decimal-comma locale, the speed message still shows a full stop.
#include "creature_sim/setup.h"
#include "creature_sim/text_screens.h"

#include "headless.h"
#include "palette/palette.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Builds de_DE.UTF-8 under a private directory when the system lacks it; false when
// neither works (the test then skips).
bool adopt_decimal_comma_locale()
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
        return true;
    const std::string directory =
        ::testing::TempDir() + "creature_sim_locales_" + std::to_string(getpid());
    const std::string command = "mkdir -p '" + directory + "' && localedef -i de_DE -f UTF-8 '" +
                                directory + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    setenv("LOCPATH", directory.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

// Puts the whole locale back to "C" when the test ends, however it ends.
struct ClassicLocaleAtExit {
    ~ClassicLocaleAtExit() { std::setlocale(LC_ALL, "C"); }
};

TEST(NumericLocale, SpeedMessageKeepsTheFullStopUnderADecimalCommaLocale)
{
    start_headless_library();
    const ClassicLocaleAtExit restore;
    if (!adopt_decimal_comma_locale())
        GTEST_SKIP() << "no decimal-comma locale can be made here";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    ASSERT_STREQ(probe, "0,500000") << "the locale does not use a decimal comma";

    use_c_numeric_locale();

    BitmapPtr target = make_target();
    char text[90];
    draw_speed_message(target.get(), text, sizeof text, 3.01, -1);
    EXPECT_STREQ(text, "speedup_factor = 3.010000");
    const int width = text_length(font, text);
    EXPECT_TRUE(shows_text(target.get(), "speedup_factor = 3.010000", 625 - width, 8, info_color));
}

}  // namespace
