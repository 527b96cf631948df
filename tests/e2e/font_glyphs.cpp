// Prints Allegro's built-in 8 x 8 font, one printable character a line: its code and its
// eight row bytes in hex (bit 7 the leftmost pixel). The end-to-end tests read text with it.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    set_color_depth(8);
    BITMAP* cell = create_bitmap(8, 8);
    if (!cell)
        return 1;
    for (int code = 32; code < 127; ++code) {
        const char text[2] = {static_cast<char>(code), '\0'};
        clear_bitmap(cell);
        textout_ex(cell, font, text, 0, 0, 1, 0);
        std::printf("%d ", code);
        for (int y = 0; y < 8; ++y) {
            int bits = 0;
            for (int x = 0; x < 8; ++x)
                if (getpixel(cell, x, y) == 1)
                    bits |= 0x80 >> x;
            std::printf("%02x", bits);
        }
        std::printf("\n");
    }
    destroy_bitmap(cell);
    return 0;
}
END_OF_MAIN()
