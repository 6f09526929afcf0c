// Splits the tag text of a registration into tags, the way the client's album
// window splits it before checking: full-width commas and spaces count as
// their ASCII forms, and a separator right at the start of the rest makes the
// whole rest one last tag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace albumservice {

// Tags of a UTF-8 tag text; an empty or blank text gives none.
std::vector<std::string> SplitTags(std::string_view text);

}  // namespace albumservice
