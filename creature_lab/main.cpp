// creature_lab: scores, traces and evolves creature_sim's creatures without a display.
#include "creature_lab/creature_lab.h"
#include "tool_support/tool_main.h"

int main(int argc, char** argv)
{
    return run_tool_main("creature_lab", argc, argv, run_creature_lab);
}
