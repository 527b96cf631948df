// net_train: trains a network file by back-propagation from the command line.
#include "net_train/net_train.h"
#include "tool_support/tool_main.h"

int main(int argc, char** argv)
{
    return run_tool_main("net_train", argc, argv, run_net_train);
}
