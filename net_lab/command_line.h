// The command line of net_lab: at most a network file and a training file, and the help and
// usage texts.
#ifndef NET_LAB_COMMAND_LINE_H
#define NET_LAB_COMMAND_LINE_H

#include "lab_session/network_loading.h"

#include <string>

// Reads the command line: at most a network file and a training file. False, with the
// reason in `error`, when it is wrong; `help` when --help or -h was asked for.
bool read_net_lab_command_line(int argc, const char* const* argv, LabFiles& files, bool& help, std::string& error);
extern const char* const net_lab_usage;  // the synopsis, after a usage error
extern const char* const net_lab_help;   // what --help adds to the synopsis: options, exit statuses

#endif
