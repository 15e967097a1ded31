// step_bench.cpp: speed of the frame step and of each of its stages, against a baseline
// that copies the bytes a step must at least touch (5 x W x H: the field and its source
// map). Ends with one line per size: "ratio StepSmokeField/copy-baseline WxH: R", then the
// field-sized image through the ramp (what the display server scales) against copying that
// image's bytes, and the fallback that scales here: presenting the field on a 1920 x 1080
// window against copying that window's bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "present/scale.h"
#include "smoke/decay.h"
#include "smoke/field.h"
#include "smoke/filters.h"
#include "smoke/random.h"
#include "tests/smoke_reference.h"
#include "text/flicker.h"
#include "text/outline.h"

namespace {

// A prepared engine with an outline: a closed ring of nodes around the middle band,
// about as many as a short text gives.
struct BenchEngine {
  std::unique_ptr<TestEngine> owned;
  std::vector<OutlineNode> nodes;
  std::vector<OutlineNode*> nodeList;
  SmokeEngine& engine;

  BenchEngine(int32_t width, int32_t height)
      : owned(MakeTestEngine(width, height, 5, 1)), engine(owned->engine) {
    const int32_t top = height * 7 / 16, bottom = height * 9 / 16, left = width / 8,
                  right = width * 7 / 8;
    nodes.reserve(4 * static_cast<size_t>(width));
    for (int32_t x = left; x < right; ++x) AddNode(x, top), AddNode(x, bottom);
    for (int32_t y = top + 1; y < bottom; ++y) AddNode(left, y), AddNode(right, y);
    for (OutlineNode& a : nodes) {
      for (OutlineNode& b : nodes) {
        if (std::abs(a.x - b.x) + std::abs(a.y - b.y) == 1 && a.linkCount < 2) {
          a.links[a.linkCount++] = &b;
        }
      }
    }
    for (OutlineNode& n : nodes) nodeList.push_back(&n);
    engine.nodeList = nodeList.data();
    engine.nodeCount = static_cast<int32_t>(nodeList.size());
    for (int frame = 0; frame < 60; ++frame) StepSmokeField(&engine);  // a field full of smoke
  }

  void AddNode(int32_t x, int32_t y) {
    OutlineNode n{};
    InitOutlineNode(&n, x, y, engine.smokeField, engine.width);
    nodes.push_back(n);
  }
};

BenchEngine& Engine(int32_t width) {
  static BenchEngine small(640, 480), big(800, 600);
  return width == 640 ? small : big;
}

int32_t HeightOf(int32_t width) { return width == 640 ? 480 : 600; }

// memcpy of `bytes` from one buffer to another, the measure the others are compared with.
void CopyBytes(benchmark::State& state, size_t bytes) {
  std::vector<uint8_t> from(bytes, 1), to(bytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

void CopyBaseline(benchmark::State& state) {
  CopyBytes(state, 5u * state.range(0) * HeightOf(state.range(0)));
}

void Step(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  for (auto _ : state) {
    StepSmokeField(e);
    benchmark::ClobberMemory();
  }
}

// The plain stages, one pixel at a time in the defining order: what the fast step replaces.
void PlainStep(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  for (auto _ : state) {
    FlickerOutline(e->nodeList, e->nodeCount, e->random);
    reference::StepSmokeField(e);
    benchmark::ClobberMemory();
  }
}

void Flicker(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  for (auto _ : state) FlickerOutline(e->nodeList, e->nodeCount, e->random);
}

void Smooth(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  const int32_t w = e->width, h = e->height;
  for (auto _ : state) {
    SmoothBlocks(e->smokeField, e->blockAverages, w, h, 0, h / 2 - h / 4, w, h / 2 + h / 4);
    benchmark::ClobberMemory();
  }
}

void Blur(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  for (auto _ : state) {
    BlurField(e->smokeField, e->width, e->height, 0, 0, e->width, e->height, 2);
    benchmark::ClobberMemory();
  }
}

void Remap(benchmark::State& state) {
  SmokeEngine* e = &Engine(state.range(0)).engine;
  for (auto _ : state) {
    RemapAndDecay(e->smokeField, e->remapPlan);
    benchmark::ClobberMemory();
  }
}

// The 800 x 600 field through the ramp into a field-sized 32-bit image, against copying the
// image's bytes once.
void ImageCopyBaseline(benchmark::State& state) { CopyBytes(state, 800u * 600 * 4); }

void RenderImage(benchmark::State& state) {
  SmokeEngine* e = &Engine(800).engine;
  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
  std::vector<uint32_t> image(static_cast<size_t>(e->width) * e->height);
  for (auto _ : state) {
    RenderFieldImage(e->smokeField, e->width, e->height, palette, image.data(), e->width);
    benchmark::DoNotOptimize(image.data());
    benchmark::ClobberMemory();
  }
}

// Where the display cannot scale: presenting an 800 x 600 field on a 1920 x 1080 32-bit
// window (palette look-up and nearest-neighbour scale), against copying the window's bytes.
constexpr int32_t kWindowWidth = 1920, kWindowHeight = 1080;

void PresentCopyBaseline(benchmark::State& state) {
  CopyBytes(state, static_cast<size_t>(kWindowWidth) * kWindowHeight * 4);
}

void Present(benchmark::State& state) {
  SmokeEngine* e = &Engine(800).engine;
  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
  const FieldView view = FitFieldToWindow(e->width, e->height, 250, kWindowWidth, kWindowHeight);
  std::vector<uint32_t> image(static_cast<size_t>(kWindowWidth) * kWindowHeight);
  for (auto _ : state) {
    PresentField(e->smokeField, e->width, palette, PixelFormat{}, view, image.data(),
                 kWindowWidth * 4);
    benchmark::DoNotOptimize(image.data());
    benchmark::ClobberMemory();
  }
}

// Collects the median time of each benchmark while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  RecordingReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes in the output
  std::map<std::string, double> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
      }
    }
  }
};

}  // namespace

#define SIZES ->Arg(640)->Arg(800)->Repetitions(7)->MinTime(0.1)->Unit(benchmark::kMicrosecond)
BENCHMARK(CopyBaseline) SIZES;
BENCHMARK(Step) SIZES;
BENCHMARK(PlainStep) SIZES;
BENCHMARK(Flicker) SIZES;
BENCHMARK(Smooth) SIZES;
BENCHMARK(Blur) SIZES;
BENCHMARK(Remap) SIZES;
BENCHMARK(ImageCopyBaseline)->Repetitions(9)->MinTime(0.3)->Unit(benchmark::kMicrosecond);
BENCHMARK(RenderImage)->Repetitions(9)->MinTime(0.3)->Unit(benchmark::kMicrosecond);
BENCHMARK(PresentCopyBaseline)->Repetitions(9)->MinTime(0.3)->Unit(benchmark::kMicrosecond);
BENCHMARK(Present)->Repetitions(9)->MinTime(0.3)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // The plain step for comparison first; the last lines are the step's own ratios.
  auto ratio = [&](const char* name, const char* label) {
    for (int32_t width : {640, 800}) {
      const std::string arg = "/" + std::to_string(width);
      const auto copy = reporter.medians.find("CopyBaseline" + arg);
      const auto measured = reporter.medians.find(name + arg);
      if (copy == reporter.medians.end() || measured == reporter.medians.end()) continue;
      std::printf("ratio %s/copy-baseline %dx%d: %.2f\n", label, width, HeightOf(width),
                  measured->second / copy->second);
    }
  };
  ratio("PlainStep", "plain-step");
  ratio("Step", "StepSmokeField");
  auto pair = [&](const char* measured, const char* baseline, const char* label) {
    const auto b = reporter.medians.find(baseline), m = reporter.medians.find(measured);
    if (b != reporter.medians.end() && m != reporter.medians.end())
      std::printf("ratio %s/copy-baseline: %.2f\n", label, m->second / b->second);
  };
  pair("RenderImage/", "ImageCopyBaseline/", "RenderFieldImage800x600");
  pair("Present/", "PresentCopyBaseline/", "Present800x600->1920x1080");
  benchmark::Shutdown();
  return 0;
}
