// The network file's keys, each spelled here once with the kind of record it opens: the
// readers match them, the writers write them, and every message that names a record quotes them.
#ifndef ENGINE_FORMAT_KEYS_H
#define ENGINE_FORMAT_KEYS_H

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

// What a record holds, which tells the reader that takes it and how. A record of the other
// section's kinds is no fault: each reader ignores it, so one file can hold both sections.
enum class RecordKind {
    Layer,             // network section: a layer's size; "comp_layer:" starts a computing layer
    Neuron,            // network section: the latest layer's next neuron's weights, or its threshold
    NetworkParameter,  // network section: one real that every neuron shares
    Misspelling,       // network section: a key the format does not have, noted as a warning
    Pattern,           // training section: input values, "->", expected outputs
    TrainingParameter  // training section: one number for training; the network writer writes
                       // "max_weight:" after the network's parameters all the same
};

enum class FormatKey {
    InputLayer,
    CompLayer,
    Weights,
    NeuronThreshold,
    Threshold,
    SlopeParameter,
    MisspeltThreshold,
    Pattern,
    ErrorLimit,
    MaxIterations,
    LearningRate,
    LearnThresholds,
    TestShare,
    TestSeed,
    MaxWeight
};

struct FormatKeyEntry {
    FormatKey key;
    RecordKind kind;
    const char* text;  // the token that opens the record, colon included
};

// In FormatKey's order, so that a key's entry is found by its value.
inline constexpr FormatKeyEntry format_keys[] = {
    {FormatKey::InputLayer, RecordKind::Layer, "input_layer:"},
    {FormatKey::CompLayer, RecordKind::Layer, "comp_layer:"},
    {FormatKey::Weights, RecordKind::Neuron, "weights:"},
    {FormatKey::NeuronThreshold, RecordKind::Neuron, "neuron_threshold:"},
    {FormatKey::Threshold, RecordKind::NetworkParameter, "treshold:"},  // sic: the format's spelling
    {FormatKey::SlopeParameter, RecordKind::NetworkParameter, "slope_parameter:"},
    {FormatKey::MisspeltThreshold, RecordKind::Misspelling, "threshold:"},
    {FormatKey::Pattern, RecordKind::Pattern, "pattern:"},
    {FormatKey::ErrorLimit, RecordKind::TrainingParameter, "error_limit:"},
    {FormatKey::MaxIterations, RecordKind::TrainingParameter, "max_iterations:"},
    {FormatKey::LearningRate, RecordKind::TrainingParameter, "learning_rate:"},
    {FormatKey::LearnThresholds, RecordKind::TrainingParameter, "learn_thresholds:"},
    {FormatKey::TestShare, RecordKind::TrainingParameter, "test_share:"},
    {FormatKey::TestSeed, RecordKind::TrainingParameter, "test_seed:"},
    {FormatKey::MaxWeight, RecordKind::TrainingParameter, "max_weight:"},
};

constexpr bool format_keys_in_order()
{
    for (std::size_t i = 0; i < std::size(format_keys); ++i)
        if (static_cast<std::size_t>(format_keys[i].key) != i)
            return false;
    return true;
}
static_assert(format_keys_in_order(), "format_keys lists the keys in FormatKey's order");

constexpr const FormatKeyEntry& format_key_entry(FormatKey key)
{
    return format_keys[static_cast<std::size_t>(key)];
}

constexpr const char* key_text(FormatKey key)
{
    return format_key_entry(key).text;
}

// The entry of the key that `token` spells exactly; null for any other token, whose line the
// readers ignore.
inline const FormatKeyEntry* find_format_key(std::string_view token)
{
    for (const FormatKeyEntry& entry : format_keys)
        if (token == entry.text)
            return &entry;
    return nullptr;
}

// The key and the space after it that opens a record of one value: "max_weight: ".
inline std::string record_start(FormatKey key)
{
    return std::string(key_text(key)) + " ";
}

// The key in double quotes, as messages name a record: "\"weights:\"".
inline std::string quoted_key(FormatKey key)
{
    return "\"" + std::string(key_text(key)) + "\"";
}

#endif
