// The text S saves: the writer's text, checked against what it reads back as.
#include "lab_session/saved_network.h"

#include "engine/format_check.h"
#include "engine/network.h"

bool saved_network_text(const Network& network, std::string& text, std::string& reason)
{
    // Such a weight would be read back as a missing one, drawn at random.
    if (!network.weights_are_finite()) {
        reason = "training gave weights that are not finite numbers (are some pattern values huge?), which "
                 "the file format cannot hold";
        return false;
    }
    CheckedNetworkText checked;
    if (!check_network_text(network, false, checked)) {
        // The text and its read-back form are held beside the network for the check.
        reason = "the network's text and its check do not fit in memory";
        return false;
    }
    if (checked.losses.empty()) {
        text = std::move(checked.text);
        return true;
    }
    reason = "the file format cannot hold the network: ";
    for (std::size_t k = 0; k < checked.losses.size(); ++k)
        reason += (k == 0 ? "" : "; ") + checked.losses[k];
    return false;
}
