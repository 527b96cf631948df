// Drawing tables of text lines.
#include "program_shell/text_lines.h"

#include <allegro.h>

void draw_text_lines(BITMAP* target, const TextLine* lines, std::size_t count, int color,
                     int text_background)
{
    for (std::size_t i = 0; i < count; ++i)
        textout_ex(target, font, lines[i].text, lines[i].x, lines[i].y, color, text_background);
}
