// Benchmarks of the codec layer against the reference programs: libjpeg's own
// djpeg/cjpeg and ImageMagick's convert, on inputs this program writes first.
//   thumbnails:   83 × 83 from a 4000 × 3000 JPEG (whole decode, bilinear, white canvas)
//   preparation:  1800 × 1200 PNG -> 900 × 600 JPEG (ShrinkOntoCanvas + imaging stand-in)
//   bmp_to_jpeg:  4000 × 3000 BMP -> JPEG
// The reference programs run as child processes, so every figure is wall time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "codec/Picture.h"
#include "platform/imaging/JpegConversion.h"

namespace {

namespace fs = std::filesystem;

// The folder of the generated inputs and outputs, removed at exit.
struct Workspace {
  fs::path dir;
  Workspace() {
    dir = fs::temp_directory_path() / ("tessel-codec-bench-" + std::to_string(std::rand()));
    fs::create_directories(dir);
  }
  ~Workspace() { fs::remove_all(dir); }
  std::string operator/(const char* name) const { return (dir / name).string(); }
};

Workspace& Files() {
  static Workspace workspace;
  return workspace;
}

// A photograph-like picture: smooth colour fields with fine texture.
Picture Photo(int width, int height) {
  Picture picture;
  picture.Create(width, height, 24);
  uint32_t seed = 99;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      int grain = static_cast<int>((seed >> 27) & 15) - 8;
      auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
      row[x * 3] = clamp(x * 200 / width + grain + ((x / 97 + y / 61) % 3) * 20);
      row[x * 3 + 1] = clamp(y * 220 / height + grain);
      row[x * 3 + 2] =
          clamp(((x + y) * 255 / (width + height)) + grain + ((x * x + y * 3) % 509 < 40 ? 60 : 0));
    }
  }
  return picture;
}

// Writes the inputs once.
void MakeInputs() {
  static bool made = false;
  if (made) return;
  made = true;
  Picture big = Photo(4000, 3000);
  big.SaveToFile(Files() / "photo.jpg", kImageJpeg);
  big.SaveToFile(Files() / "photo.bmp", kImageBmp);
  Picture medium = Photo(1800, 1200);
  medium.SaveToFile(Files() / "medium.png", kImagePng);
}

void RunCommand(benchmark::State& state, const std::string& command) {
  MakeInputs();
  for (auto _ : state) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
      state.SkipWithError(("failed: " + command).c_str());
      break;
    }
  }
}

// --- 1: thumbnails -----------------------------------------------------------

void Thumbnail_Ours(benchmark::State& state) {
  MakeInputs();
  for (auto _ : state) {
    // The picture items' rule fits 4000 × 3000 into 83 × 62; the picture is
    // decoded whole, each full-size row resampled as it arrives.
    Picture picture;
    auto fit = [](int width, int height, int& canvas_width, int& canvas_height) {
      canvas_width = 83;
      canvas_height = height * 83 / width;
    };
    picture.LoadOntoCanvas(Files() / "photo.jpg", kImageJpeg, fit, CanvasColour{255, 255, 255});
    picture.SaveToFile(Files() / "thumb.png", kImagePng);
    benchmark::DoNotOptimize(picture.Bits());
  }
}

void Thumbnail_DjpegFullDecode(benchmark::State& state) {
  RunCommand(state, "/usr/bin/djpeg -outfile /dev/null " + Files() / "photo.jpg");
}

void Thumbnail_Magick(benchmark::State& state) {
  RunCommand(state, "/usr/bin/convert " + Files() / "photo.jpg" + " -filter Triangle -resize 83x83 " +
                        Files() / "thumb-im.png");
}

// --- 2: upload preparation of a PNG ---------------------------------------------

void Prepare_Ours(benchmark::State& state) {
  MakeInputs();
  for (auto _ : state) {
    Picture picture;
    picture.LoadFromFile(Files() / "medium.png", kImagePng);
    picture.ShrinkOntoCanvas(900, 600, CanvasColour{255, 255, 255});
    platform::imaging::SaveBitmapAsJpeg(picture, Files() / "prepared.jpg");
  }
}

void Prepare_Magick(benchmark::State& state) {
  RunCommand(state, "/usr/bin/convert " + Files() / "medium.png" + " -resize 900x600 -quality 75 " +
                        Files() / "prepared-im.jpg");
}

// --- 3: a BMP written as a JPEG ---------------------------------------------------

void BmpToJpeg_Ours(benchmark::State& state) {
  MakeInputs();
  for (auto _ : state) {
    Picture picture;
    picture.LoadFromFile(Files() / "photo.bmp", kImageBmp);
    picture.SaveToFile(Files() / "bmp.jpg", kImageJpeg);  // quality 90
  }
}

void BmpToJpeg_Cjpeg(benchmark::State& state) {
  RunCommand(state, "/usr/bin/cjpeg -quality 90 -outfile " + Files() / "bmp-cjpeg.jpg" + " " +
                        Files() / "photo.bmp");
}

void BmpToJpeg_Magick(benchmark::State& state) {
  RunCommand(state, "/usr/bin/convert " + Files() / "photo.bmp" + " -quality 90 " + Files() / "bmp-im.jpg");
}

}  // namespace

BENCHMARK(Thumbnail_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(Thumbnail_DjpegFullDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(Thumbnail_Magick)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(Prepare_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(Prepare_Magick)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BmpToJpeg_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BmpToJpeg_Cjpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BmpToJpeg_Magick)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

BENCHMARK_MAIN();
