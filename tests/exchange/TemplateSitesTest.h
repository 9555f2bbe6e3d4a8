#pragma once
// A test on fresh copies of the template's sites (M, W, SM, SW) in a
// workspace of its own; the template is made once per process.
#include <gtest/gtest.h>

#include <string>

#include "ExchangeSites.h"
#include "support/Workspace.h"

namespace quorvel::test::exchange {

class TemplateSitesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { templateError_ = buildTemplate(); }
    void SetUp() override {
        ASSERT_EQ(templateError_, "");
        copySites(ws.dir());
    }

    static inline std::string templateError_;
    Workspace ws;
};

}  // namespace quorvel::test::exchange
