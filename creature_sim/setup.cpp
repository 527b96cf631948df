// Library start-up for the creature simulator.
#include "creature_sim/setup.h"

#include <allegro.h>

#include <clocale>

bool start_library()
{
    if (allegro_init() != 0)
        return false;
    install_keyboard();
    install_mouse();
    install_timer();
    use_c_numeric_locale();
    return true;
}

void use_c_numeric_locale()
{
    std::setlocale(LC_NUMERIC, "C");
}

bool open_graphics_mode()
{
    set_color_depth(8);
    if (set_gfx_mode(GFX_AUTODETECT, screen_width, screen_height, 0, 0) != 0)
        return false;
    use_c_numeric_locale();
    return true;
}
