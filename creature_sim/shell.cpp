// One frame of the creature simulator and the key, mouse and load handling inside it.
#include "creature_sim/shell.h"

#include "creature_world/pixel_sensing.h"
#include "creature_world/scene_colors.h"
#include "creature_world/scene_drawing.h"
#include "creature_sim/text_screens.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>

SimulatorShell::SimulatorShell(BITMAP* buffer, const char* start_path) : buffer(buffer)
{
    std::snprintf(config_path, sizeof config_path, "%s", start_path);
    name_start_up_file(*this);
    creature = std::make_unique<Creature>(buffer->w, buffer->h, light_base_color, config_path);
    initial_speedup = creature->speedup_factor;
    spotlight = std::make_unique<Spotlight>(buffer->w, buffer->h, light_base_color);
}

void SimulatorShell::step_world()
{
    spotlight->update();
    draw_spotlight(buffer, *spotlight);
    step_on_target(*creature, buffer);
    draw_creature(buffer, *creature);
    if (creature->network_not_3_in_4_out)
        draw_error_panel(buffer, *this, simulator_screens.error_panel);
}

void SimulatorShell::move_by_mouse(bool alt_held)
{
    // No bounds here: the next update or step puts each object back inside.
    if (alt_held) {
        creature->x += mickey_x;
        creature->y += mickey_y;
    } else {
        spotlight->x += mickey_x;
        spotlight->y += mickey_y;
    }
}

void SimulatorShell::show_speed()
{
    draw_speed_message(buffer, speed_text, sizeof speed_text, creature->speedup_factor,
                       text_background);
}

void SimulatorShell::apply_held_keys(const volatile char* keys)
{
    if (keys[KEY_9_PAD])
        spotlight->vx += spot_speed_step;
    if (keys[KEY_8_PAD])
        spotlight->vx -= spot_speed_step;
    if (keys[KEY_4_PAD])
        spotlight->vy += spot_speed_step;
    if (keys[KEY_7_PAD])
        spotlight->vy -= spot_speed_step;
    if (keys[KEY_6_PAD])
        spotlight->vx = 0;
    if (keys[KEY_5_PAD])
        spotlight->vy = 0;
    if (keys[KEY_ASTERISK]) {
        creature->speedup_factor += speedup_step;
        show_speed();
    }
    if (keys[KEY_SLASH_PAD]) {
        creature->speedup_factor -= speedup_step;
        if (creature->speedup_factor < 0)
            creature->speedup_factor = 0;
        show_speed();
    }
    if (keys[KEY_MINUS_PAD]) {
        creature->speedup_factor = initial_speedup;
        show_speed();
    }
}

void SimulatorShell::apply_mouse_buttons(int buttons)
{
    if (buttons & 1)
        spotlight->radius = std::min(spotlight->radius + radius_step, Spotlight::max_radius);
    if ((buttons & 2) && spotlight->radius > radius_step)
        spotlight->radius -= radius_step;
}

void run_frame(SimulatorShell& shell, const FrameInput& input, BITMAP* display)
{
    shell.step_world();
    input.read_mickeys(&shell.mickey_x, &shell.mickey_y);
    shell.move_by_mouse(input.keys[KEY_ALT] != 0);
    shell.apply_held_keys(input.keys);
    shell.apply_mouse_buttons(*input.mouse_buttons);

    auto load_file = [&shell] {
        shell.creature->load_network(shell.config_path);
        shell.first_file = false;
    };
    // Mouse movement while a screen stops the world moves nothing.
    auto drop_mickeys = [&input] {
        int dropped_x = 0;
        int dropped_y = 0;
        input.read_mickeys(&dropped_x, &dropped_y);
    };
    handle_shell_keys(shell, simulator_screens, shell.buffer, display, input.keys, load_file,
                      drop_mickeys);
}
