#include "control/protocol/ClientVersion.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"

namespace {

using album_protocol::ClientVersion;
using album_protocol::VersionText;

TEST(ClientVersionTest, IsTheVersionRecordOfTheLoadedLibrary) {
  // The test links the real shared library, which carries the product version.
  EXPECT_EQ(ClientVersion(), buildconfig::kProductVersion);
}

TEST(ClientVersionTest, TextOfARecordAndOfNone) {
  EXPECT_EQ(VersionText(std::array<std::uint32_t, 4>{2, 1, 0, 7120}), "2.1.0.7120");
  EXPECT_EQ(VersionText(std::array<std::uint32_t, 4>{4000000000u, 0, 0, 1}), "4000000000.0.0.1");
  EXPECT_EQ(VersionText(std::nullopt), "0.0.0.0");
}

}  // namespace
