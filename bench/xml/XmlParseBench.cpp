// Parse throughput of CXmlReader::Parse against pugixml and expat on one
// generated document of about 20 MB made of many small elements, like a long
// album list answer. Run: bench_xml --benchmark_min_time=2
#include <benchmark/benchmark.h>
#include <expat.h>

#include <pugixml.hpp>
#include <string>

#include "common/xml/CXmlReader.h"

namespace {

// About 20 MB: albums with attributes, a title with an entity, tags and an
// empty photo element.
const std::string& Document() {
  static const std::string doc = [] {
    std::string d = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<albums total=\"many\">\n";
    d.reserve(21 << 20);
    for (int i = 0; d.size() < (20u << 20); ++i) {
      std::string n = std::to_string(i);
      d += "  <album id=\"" + n + "\" name=\"Album " + n +
           "\" count=\"17\">\n    <title>Holiday &amp; more " + n +
           "</title>\n    <tag>sea</tag><tag>sun</tag>\n    <photo src=\"p/" + n +
           ".jpg\" w=\"800\" h=\"600\"/>\n  </album>\n";
    }
    d += "</albums>\n";
    return d;
  }();
  return doc;
}

void BM_CXmlReaderParse(benchmark::State& state) {
  const std::string& doc = Document();
  CXmlReader reader;
  for (auto _ : state) {
    bool ok = reader.Parse(doc);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError(reader.LastError().c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_CXmlReaderParse)->Unit(benchmark::kMillisecond);

// Parse, then visit every album and read one attribute and one text.
void BM_CXmlReaderParseAndWalk(benchmark::State& state) {
  const std::string& doc = Document();
  CXmlReader reader;
  for (auto _ : state) {
    reader.Parse(doc);
    reader.FindNext("albums");
    reader.Enter();
    size_t bytes = 0;
    while (reader.FindNext("album")) {
      bytes += reader.Attribute("id").size();
      if (reader.FindNextChild("title")) {
        reader.Enter();
        bytes += reader.Text().size();
        reader.Leave();
      }
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_CXmlReaderParseAndWalk)->Unit(benchmark::kMillisecond);

void BM_PugixmlParse(benchmark::State& state) {
  const std::string& doc = Document();
  for (auto _ : state) {
    pugi::xml_document parsed;
    pugi::xml_parse_result result = parsed.load_buffer(doc.data(), doc.size(), pugi::parse_default);
    benchmark::DoNotOptimize(result.status);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_PugixmlParse)->Unit(benchmark::kMillisecond);

void XMLCALL CountStart(void* user_data, const XML_Char*, const XML_Char**) {
  ++*static_cast<size_t*>(user_data);
}

void BM_ExpatParse(benchmark::State& state) {
  const std::string& doc = Document();
  for (auto _ : state) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    size_t elements = 0;
    XML_SetUserData(parser, &elements);
    XML_SetStartElementHandler(parser, CountStart);
    XML_Status status = XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), XML_TRUE);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(elements);
    XML_ParserFree(parser);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(BM_ExpatParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
