// What the service holds, as text: accounts, albums, pictures with their
// tags, uploads still waiting for registration, and the counters. Printed by
// --list; also the demonstration account.
#pragma once

#include <string>

#include "tools/album-service/AlbumStore.h"

namespace albumservice {

// The listing printed by --list.
std::string DescribeInventory(AlbumStore& store);

// Creates the account demo/demo with two albums unless it exists; true when
// it was created.
bool SeedDemo(AlbumStore& store);

}  // namespace albumservice
