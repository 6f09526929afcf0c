// Feeds hostile bytes to the parsers of the album service that read what a
// client sends: multipart bodies, raw query strings and tag texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/album-service/MultipartForm.h"
#include "tools/album-service/QueryString.h"
#include "tools/album-service/TagList.h"
#include "tools/album-service/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  albumservice::MultipartForm form = albumservice::MultipartForm::Parse(
      "multipart/form-data; boundary=----NEBUL-0123456789abcdef0123456789abcdef-", input);
  for (const albumservice::FormPart& part : form.parts()) albumservice::GbkToUtf8(part.filename);

  albumservice::QueryString query = albumservice::QueryString::FromTarget(input);
  query.RawTail("pw");
  query.Number("uid");
  albumservice::SplitTags(query.GbkValue("tag"));
  albumservice::UrlEncode(albumservice::PercentDecode(input));
  return 0;
}
