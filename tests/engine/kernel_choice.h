// A fixture that runs each case once on every kernel set of the build; a set this machine
// cannot execute is skipped, and the skip names it.
#ifndef TESTS_ENGINE_KERNEL_CHOICE_H
#define TESTS_ENGINE_KERNEL_CHOICE_H

#include "engine/fast_form.h"

#include <gtest/gtest.h>

#include <string>

// Selects the kernel set named by the parameter, then puts back the one that ran before.
class OnEveryKernel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!FastForm::select_kernels(GetParam()))
            GTEST_SKIP() << "this machine cannot run the " << GetParam() << " kernels";
    }
    void TearDown() override { FastForm::select_kernels(previous); }

    const std::string previous = FastForm::selected_kernels();
};

#define RUN_ON_EVERY_KERNEL(suite)                                                                       \
    INSTANTIATE_TEST_SUITE_P(EveryKernel, suite, ::testing::ValuesIn(FastForm::built_kernels()), \
                             [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })

#endif
