// The text that S saves, as net_train -o writes it, or why the file format cannot hold the
// network as it is. Needs no graphics library: the page saves the same way.
#ifndef LAB_SESSION_SAVED_NETWORK_H
#define LAB_SESSION_SAVED_NETWORK_H

#include <string>

class Network;

// Puts the network file text of `network` in `text`. False, with the reason in `reason`
// (a clause to follow "not saved: "), when a weight is not a finite number, when the text
// would read back as another network (format_losses names every difference, as net_train
// does), or when memory runs short.
bool saved_network_text(const Network& network, std::string& text, std::string& reason);

#endif
