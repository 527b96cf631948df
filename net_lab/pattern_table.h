// The table of the worst training patterns, shown for networks without input maps.
#ifndef NET_LAB_PATTERN_TABLE_H
#define NET_LAB_PATTERN_TABLE_H

struct BITMAP;
class Network;
struct PatternErrors;

// A table of the worst patterns, one row each, from (x, y): pattern number, its error, the
// output, expected and computed values; as many rows as `rows`. Ranks `errors` for it.
void draw_pattern_table(BITMAP* target, int x, int y, int rows, const Network& network,
                        PatternErrors& errors, int text_color, int head_color);

#endif
