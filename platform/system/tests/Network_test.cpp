#include "platform/system/Network.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(NetworkTest, DottedAddressesStandForThemselves) {
  for (const char* address : {"127.0.0.1", "10.1.2.3", "255.255.255.255"}) {
    std::string dotted;
    ASSERT_TRUE(ResolveIPv4(address, &dotted)) << address;
    EXPECT_EQ(dotted, address);
  }
}

TEST(NetworkTest, NamesResolveToTheirFirstIPv4Address) {
  // Only names the local hosts file answers: tests send nothing off the machine.
  std::string dotted;
  ASSERT_TRUE(ResolveIPv4("localhost", &dotted));
  EXPECT_EQ(dotted, "127.0.0.1");
  EXPECT_FALSE(ResolveIPv4("", &dotted));
}

TEST(NetworkTest, LocalHostNameIsKnown) {
  std::string name;
  ASSERT_TRUE(LocalHostName(&name));
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace platform
