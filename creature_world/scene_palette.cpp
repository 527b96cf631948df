// The creature simulator's palette, set once at start-up.
#include "creature_world/scene_palette.h"

#include "creature_world/scene_colors.h"

#include "palette/palette.h"

void set_scene_palette()
{
    set_shell_colors();
    set_rgb(sensor_inner_color, 0, 0, 63);
    set_rgb(sensor_outer_color, 0, 58, 0);
    set_grey_ramp(light_base_color);
}
