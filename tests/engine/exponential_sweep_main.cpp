// The long accuracy check of the engine's exponential: 10^8 random arguments (or the count
// given) on every kernel set this machine runs, each against the C library's exp; the sets it
// cannot run are named as skipped. Exits 1 when a result is more than 1 ulp away or the
// vectors disagree with the scalar exp.
#include "tests/engine/exponential_sweep.h"

#include "engine/fast_form.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const unsigned long long count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000000ULL;
    constexpr unsigned long long seed = 24601;
    int status = 0;
    for (const std::string& kernels : FastForm::built_kernels()) {
        if (!FastForm::select_kernels(kernels)) {
            std::printf("%-8s skipped: this machine cannot run these kernels\n", kernels.c_str());
            continue;
        }
        const SweepResult result = sweep_exponential(count, seed);
        std::printf("%-8s %llu arguments: largest difference from the C library's exp %lld ulp (at %.17g), "
                    "%lld differ by 1 ulp; %lld unlike the scalar exp\n",
                    kernels.c_str(), count, result.worst_ulps, result.worst_argument, result.off_by_one,
                    result.unlike_scalar);
        if (result.worst_ulps > 1 || result.unlike_scalar > 0)
            status = 1;
    }
    return status;
}
