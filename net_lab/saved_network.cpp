// The text S saves: the writer's text, checked against what it reads back as.
#include "net_lab/saved_network.h"

#include "engine/format_check.h"
#include "engine/network.h"

#include <new>
#include <sstream>
#include <vector>

namespace {

// The read-back network's missing weights, if any, are drawn alike on every save.
constexpr unsigned read_back_seed = 0;

}  // namespace

bool saved_network_text(const Network& network, std::string& text, std::string& reason)
{
    // Such a weight would be read back as a missing one, drawn at random.
    if (!network.weights_are_finite()) {
        reason = "training gave weights that are not finite numbers (are some pattern values huge?), which "
                 "the file format cannot hold";
        return false;
    }
    try {
        std::ostringstream written;
        if (!network.write_network(written)) {
            reason = "the network could not be written";
            return false;
        }
        text = written.str();
        const std::vector<std::string> losses =
            format_losses(network, Network::from_text(text, read_back_seed));
        if (losses.empty())
            return true;
        reason = "the file format cannot hold the network: ";
        for (std::size_t k = 0; k < losses.size(); ++k)
            reason += (k == 0 ? "" : "; ") + losses[k];
    } catch (const std::bad_alloc&) {
        // The text and its read-back form are held beside the network for the check.
        reason = "not enough memory to build the network's text and check it";
    }
    text.clear();
    return false;
}
