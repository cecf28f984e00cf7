#include <gtest/gtest.h>

#include "engine/RunChecks.h"

namespace qel {
namespace {

TEST(ReduzBarrasDuplas, JoinsOfTheMediumFolderKeepOneBackslash) {
    EXPECT_EQ(ReduzBarrasDuplas("C:\\Midia\\\\disk.1"), "C:\\Midia\\disk.1");
    EXPECT_EQ(ReduzBarrasDuplas("D:\\\\disk.1"), "D:\\disk.1");
    EXPECT_EQ(ReduzBarrasDuplas("C:\\Midia\\disk.1"), "C:\\Midia\\disk.1");
}

TEST(ReduzBarrasDuplas, PairsAreTakenLeftToRightWithoutOverlap) {
    EXPECT_EQ(ReduzBarrasDuplas("a\\\\\\b"), "a\\\\b");      // three become two
    EXPECT_EQ(ReduzBarrasDuplas("a\\\\\\\\b"), "a\\\\b");    // four become two
    EXPECT_EQ(ReduzBarrasDuplas("C:\\x\\\\y\\\\z"), "C:\\x\\y\\z");
}

TEST(ReduzBarrasDuplas, ANetworkPathKeepsItsLeadingPair) {
    EXPECT_EQ(ReduzBarrasDuplas("\\\\servidor\\midia\\\\disk.1"), "\\\\servidor\\midia\\disk.1");
    EXPECT_EQ(ReduzBarrasDuplas("\\\\servidor\\\\midia\\disk.2"), "\\\\servidor\\midia\\disk.2");
}

}  // namespace
}  // namespace qel
