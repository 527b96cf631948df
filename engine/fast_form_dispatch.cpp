// The fast form's kernel sets: the kernels compiled for each set's instructions (AVX-512 with
// its 32 vector registers and AVX2 on x86, the baseline everywhere), the check of what this
// machine runs, the choice among them (NC_ENGINE_KERNELS), and the calls that reach them.
#include "engine/fast_form_kernels.h"

#include <atomic>
#include <cstdlib>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define FAST_FORM_X86_KERNELS 1
#else
#define FAST_FORM_X86_KERNELS 0
#endif

namespace {

// e^x of `count` arguments, four at a time in the kernel set's vectors.
FAST_INLINE void exponentials_in_lanes(const double* arguments, double* results, std::size_t count)
{
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes)
        store(results + i, engine_exp(load(arguments + i)));
    if (i == count)
        return;
    double rest[lanes] = {};
    std::copy(arguments + i, arguments + count, rest);
    store(rest, engine_exp(load(rest)));
    std::copy(rest, rest + (count - i), results + i);
}

}  // namespace

struct FastForm::Dispatch {
    // The entry points, whose choices of kernel depend on the network's shape and the call.
    template <const Policy& policy>
    static FAST_INLINE void evaluate(FastForm& form)
    {
        if (form.narrow_layers_only)
            Kernels::evaluate_narrow_network(form);
        else
            Kernels::evaluate_rows<1, policy>(form, form.outputs.data(), 0);
    }

    template <const Policy& policy>
    static FAST_INLINE void evaluate_group(FastForm& form, const double* const* rows, int row_count)
    {
        const std::size_t stride = form.outputs.size();
        const int input_count = form.layers.front().previous_size;
        double* values = form.group_values.data();
        // A few inputs each: a plain loop beats a call to copy them.
        for (int r = 0; r < row_count; ++r)
            for (int i = 0; i < input_count; ++i)
                values[r * stride + i] = rows[r][i];
        if (row_count == group_rows) {
            Kernels::evaluate_rows<group_rows, policy>(form, values, stride);
            return;
        }
        for (int r = 0; r < row_count; ++r)
            Kernels::evaluate_rows<1, policy>(form, values + r * stride, 0);
    }

    template <const Policy& policy>
    static FAST_INLINE void train_pattern(FastForm& form, const double* inputs, const double* expected_outputs)
    {
        double* values = form.outputs.data();
        for (int i = 0; i < form.layers.front().previous_size; ++i)
            values[i] = inputs[i];
        if (form.narrow_layers_only) {
            // The output layer's values go on in registers.
            const Lanes output_values = Kernels::evaluate_narrow_network(form);
            Kernels::back_propagate<policy>(form, expected_outputs, &output_values);
            return;
        }
        Kernels::evaluate_rows<1, policy>(form, form.outputs.data(), 0);
        Kernels::back_propagate<policy>(form, expected_outputs, nullptr);
    }

    // One kernel set: its name, whether this machine runs it, and its entry points.
    struct Set {
        const char* name;
        bool (*runnable)();
        void (*exponentials)(const double*, double*, std::size_t);
        void (*evaluate)(FastForm&);
        void (*evaluate_group)(FastForm&, const double* const*, int);
        void (*train_pattern)(FastForm&, const double*, const double*);
    };

    // The kernels of one set: its policy and its entry points, each compiled with the set's
    // `attributes` (its instructions) so that they reach every loop inlined into them.
#define FAST_FORM_KERNEL_SET(space, attributes, row_parts, in_pairs, update_lanes)                                   \
    struct space {                                                                                                    \
        attributes __attribute__((noinline)) static void row_sums(const Layer& layer, const double* inputs,           \
                                                                 const double* layer_weights, double* sums)           \
        {                                                                                                             \
            Kernels::row_sums<policy>(layer, inputs, layer_weights, sums);                                            \
        }                                                                                                             \
        static constexpr Policy policy{row_parts, in_pairs, update_lanes, row_sums};                                  \
        attributes static void evaluate(FastForm& form) { Dispatch::evaluate<policy>(form); }                         \
        attributes static void evaluate_group(FastForm& form, const double* const* rows, int row_count)               \
        {                                                                                                             \
            Dispatch::evaluate_group<policy>(form, rows, row_count);                                                  \
        }                                                                                                             \
        attributes static void train_pattern(FastForm& form, const double* inputs, const double* expected)            \
        {                                                                                                             \
            Dispatch::train_pattern<policy>(form, inputs, expected);                                                  \
        }                                                                                                             \
        attributes static void exponentials(const double* arguments, double* results, std::size_t count)              \
        {                                                                                                             \
            exponentials_in_lanes(arguments, results, count);                                                         \
        }                                                                                                             \
    };
    // Two parts of a row's sums fill 16 vector registers, seven fill AVX-512's 32. Where the
    // vectors of four lanes are pairs of registers, the backward step takes four lanes at a
    // time, since sixteen lanes' rate deltas, limits and negated limits would need 24 of the 16
    // registers, and even eight lanes' leave too few for the work.
    FAST_FORM_KERNEL_SET(Baseline, , 2, true, lanes)
#if FAST_FORM_X86_KERNELS
    FAST_FORM_KERNEL_SET(Avx2, __attribute__((target("avx2"))), 2, false, part_width)
    FAST_FORM_KERNEL_SET(Avx512, __attribute__((target("avx512f,avx512vl"))), 7, false, part_width)
#endif
#undef FAST_FORM_KERNEL_SET

    static bool always() { return true; }
#if FAST_FORM_X86_KERNELS
    static bool has_avx2()
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    }
    static bool has_avx512()
    {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    }
#endif

    // Slowest first; the last one this machine runs is the default.
    static constexpr Set sets[] = {
        {"baseline", always, Baseline::exponentials, Baseline::evaluate, Baseline::evaluate_group,
         Baseline::train_pattern},
#if FAST_FORM_X86_KERNELS
        {"avx2", has_avx2, Avx2::exponentials, Avx2::evaluate, Avx2::evaluate_group, Avx2::train_pattern},
        {"avx512", has_avx512, Avx512::exponentials, Avx512::evaluate, Avx512::evaluate_group, Avx512::train_pattern},
#endif
    };

    static const Set* find(const std::string& name)
    {
        for (const Set& set : sets)
            if (name == set.name && set.runnable())
                return &set;
        return nullptr;
    }

    static const Set* fastest()
    {
        const Set* best = &sets[0];
        for (const Set& set : sets)
            if (set.runnable())
                best = &set;
        return best;
    }

    static const Set* initial()
    {
        const char* wanted = std::getenv("NC_ENGINE_KERNELS");
        const Set* named = wanted != nullptr ? find(wanted) : nullptr;
        return named != nullptr ? named : fastest();
    }

    // Null until the first use or choice; a race between two first uses stores the same set.
    static std::atomic<const Set*> chosen;

    static __attribute__((noinline)) const Set& choose_initial()
    {
        const Set* set = initial();
        chosen.store(set, std::memory_order_relaxed);
        return *set;
    }

    // One load and a test on every call: the choice on first use stays out of the callers.
    static const Set& current()
    {
        const Set* set = chosen.load(std::memory_order_relaxed);
        return set != nullptr ? *set : choose_initial();
    }
};

std::atomic<const FastForm::Dispatch::Set*> FastForm::Dispatch::chosen{nullptr};

std::vector<std::string> FastForm::available_kernels()
{
    std::vector<std::string> names = built_kernels();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return Dispatch::find(name) == nullptr; }),
                names.end());
    return names;
}

std::vector<std::string> FastForm::built_kernels()
{
    std::vector<std::string> names;
    for (const Dispatch::Set& set : Dispatch::sets)
        names.emplace_back(set.name);
    return names;
}

bool FastForm::select_kernels(const std::string& name)
{
    const Dispatch::Set* set = Dispatch::find(name);
    if (set == nullptr)
        return false;
    Dispatch::chosen.store(set, std::memory_order_relaxed);
    return true;
}

std::string FastForm::selected_kernels()
{
    return Dispatch::current().name;
}

void FastForm::exponentials(const double* arguments, double* results, std::size_t count)
{
    Dispatch::current().exponentials(arguments, results, count);
}

void FastForm::evaluate(std::vector<Neuron>& neurons)
{
    load_parameters(neurons);
    Dispatch::current().evaluate(*this);
    copy_outputs(static_cast<std::size_t>(layers.front().first), neurons);
}

void FastForm::evaluate_group(const double* const* rows, int row_count)
{
    Dispatch::current().evaluate_group(*this, rows, row_count);
}

void FastForm::train_pattern(const double* inputs, const double* expected_outputs)
{
    Dispatch::current().train_pattern(*this, inputs, expected_outputs);
}
