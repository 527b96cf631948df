// A fixture that runs each case once on every kernel set this machine can execute.
#ifndef TESTS_ENGINE_KERNEL_CHOICE_H
#define TESTS_ENGINE_KERNEL_CHOICE_H

#include "engine/dense_layers.h"

#include <gtest/gtest.h>

#include <string>

// Selects the kernel set named by the parameter, then puts back the one that ran before.
class OnEveryKernel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ASSERT_TRUE(DenseLayers::select_kernels(GetParam())); }
    void TearDown() override { DenseLayers::select_kernels(previous); }

    const std::string previous = DenseLayers::selected_kernels();
};

#define RUN_ON_EVERY_KERNEL(suite)                                                                       \
    INSTANTIATE_TEST_SUITE_P(EveryKernel, suite, ::testing::ValuesIn(DenseLayers::available_kernels()), \
                             [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })

#endif
