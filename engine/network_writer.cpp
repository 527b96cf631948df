// The network writer: layer sizes, weights, per-neuron thresholds where they differ and shared
// parameters in the canonical layout, with numbers formatted the same whatever the process locale.
#include "engine/network.h"

#include "engine/format_keys.h"
#include "engine/real_text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

namespace {

// Unformatted, so that a width or locale set on the stream changes nothing.
void put(std::ostream& out, std::string_view text)
{
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// `value` with `precision` digits after the point, in fixed-point or scientific form, the same
// digits whatever the locale.
void write_formatted(std::ostream& out, double value, RealForm form, int precision)
{
    char text[real_chars_room];
    out.write(text, write_real_chars(text, value, form, precision) - text);
}

// Every file's reals have 17 decimals, rounded to nearest.
constexpr int file_decimals = 17;

// Fixed-point with 17 decimals; or, `exact`, with as many more as a value far below 1 needs
// to read back as the same double.
void write_real(std::ostream& out, double value, bool exact = false)
{
    int decimals = file_decimals;
    if (exact) {
        const RealDigits shortest = shortest_digits(value);
        decimals = std::max(decimals, shortest.digits - 1 - shortest.exponent);
    }
    write_formatted(out, value, RealForm::Fixed, decimals);
}

// Seventeen significant digits, which read back as the same double whatever its size (17
// decimals in fixed-point would not, for a value far below 1).
void write_exact_real(std::ostream& out, double value)
{
    write_formatted(out, value, RealForm::Scientific, 16);
}

// One extra space below 10 keeps the decimal points of weights below 100 in one column.
void write_weight(std::ostream& out, double weight, bool exact)
{
    if (std::fabs(weight) < 10.0)
        out.put(' ');
    put(out, weight < 0.0 ? " " : "  ");
    write_real(out, weight, exact);
}

// True when some neuron's threshold is not neuron 0's, which the shared threshold's record alone cannot hold.
bool thresholds_differ(const Network& network)
{
    for (int i = 1; i < network.neuron_count(); ++i)
        if (network.neuron(i).threshold != network.threshold())
            return true;
    return false;
}

}  // namespace

bool Network::write_network_file(const char* file_name) const
{
    if (file_name == nullptr || !weights_are_finite())
        return false;
    std::ofstream file(file_name, std::ios::out | std::ios::trunc);
    if (!file.is_open())
        return false;
    return write_network(file);
}

bool Network::write_network(std::ostream& out) const
{
    return write_network_records(out, false);
}

bool Network::write_network_records(std::ostream& out, bool exact) const
{
    if (!weights_are_finite())
        return false;
    if (neurons.empty()) {
        put(out, "Network is empty, nothing to save here.\n");
        return static_cast<bool>(out.flush());
    }

    // Files of networks with one threshold stay as they always were.
    const bool per_neuron_thresholds = thresholds_differ(*this);
    put(out, record_start(FormatKey::InputLayer) + std::to_string(layer_sizes.front()) + "\n");
    std::size_t position = static_cast<std::size_t>(layer_sizes.front());
    for (std::size_t layer = 1; layer < layer_sizes.size(); ++layer) {
        put(out, "\n" + record_start(FormatKey::CompLayer) + std::to_string(layer_sizes[layer]) + "\n");
        const std::size_t layer_end = position + static_cast<std::size_t>(layer_sizes[layer]);
        for (; position < layer_end; ++position) {
            put(out, "  ");
            put(out, key_text(FormatKey::Weights));
            for (const Connection& connection : neurons[position].connections)
                write_weight(out, connection.weight, exact);
            out.put('\n');
            if (per_neuron_thresholds) {
                put(out, "  " + record_start(FormatKey::NeuronThreshold));
                write_exact_real(out, neurons[position].threshold);
                out.put('\n');
            }
        }
    }

    put(out, "\n" + record_start(FormatKey::Threshold));
    write_real(out, threshold(), exact);
    put(out, "\n" + record_start(FormatKey::SlopeParameter));
    write_real(out, slope_parameter(), exact);
    put(out, "\n" + record_start(FormatKey::MaxWeight));
    write_real(out, max_weight(), exact);
    out.put('\n');
    return static_cast<bool>(out.flush());
}
