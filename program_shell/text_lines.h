// Tables of text lines placed on a bitmap, as the programs' panels and help screens use them.
#ifndef PROGRAM_SHELL_TEXT_LINES_H
#define PROGRAM_SHELL_TEXT_LINES_H

#include <cstddef>

struct BITMAP;

// One line of a panel: the top-left corner of its text and the text.
struct TextLine {
    int x;
    int y;
    const char* text;
};

// Draws `count` lines in the built-in font and `color`; `text_background` is -1
// (transparent) or the palette index behind the text.
void draw_text_lines(BITMAP* target, const TextLine* lines, std::size_t count, int color,
                     int text_background);

// The same for a whole table.
template <std::size_t count>
void draw_text_lines(BITMAP* target, const TextLine (&lines)[count], int color,
                     int text_background)
{
    draw_text_lines(target, lines, count, color, text_background);
}

#endif
