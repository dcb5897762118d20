#include "LayerBench.h"

#include "BenchInputs.h"
#include "DropIO.h"

#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorFormats.h>
#include <core/PSDDocument.h>
#include <core/PSDPlaneSet.h>
#include <layers/PSDLayers.h>

#include <benchmark/benchmark.h>

namespace {

const int kLayers = 10;

class DropSpans : public PSDPlaneSpanSink {
public:
	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64, uint32) override
	{
		benchmark::DoNotOptimize(planes[0][0]);
	}
};

const psdtest::Bytes& layered_file(uint32_t side)
{
	static psdtest::Bytes file;
	if (file.empty())
		file = bench_layered_psd(side, kLayers);
	return file;
}

const psdtest::Bytes& effects_file(uint32_t side)
{
	static psdtest::Bytes file;
	if (file.empty())
		file = bench_effects_psd(side);
	return file;
}

void run_render(benchmark::State& state, BTranslatorRoster& roster, const psdtest::Bytes& psd)
{
	BMemoryIO in(psd.data(), psd.size());
	translator_info info;
	if (roster.Identify(&in, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP) != B_OK) {
		state.SkipWithError("no translator identifies the file");
		return;
	}
	for (auto _ : state) {
		BMessage extension;
		extension.AddBool(TARNWICK_EXT_LAYERS, true);
		DropIO out;
		if (roster.Translate(&in, &info, &extension, &out, B_TRANSLATOR_BITMAP) != B_OK) {
			state.SkipWithError("Translate failed");
			break;
		}
	}
}

// Each channel as the merged image's planes are decoded: PackBits rows,
// through the core's fastest reader, into bytes that are then dropped.
void run_channels(benchmark::State& state, uint32_t side)
{
	const psdtest::Bytes& psd = layered_file(side);
	BMemoryIO in(psd.data(), psd.size());
	PSDDocument document;
	PSDLayers layers;
	std::string reason;
	if (psdCoreDescribe(&in, &document, &reason) != B_OK ||
	    psdReadLayers(&in, document, &layers, &reason) != B_OK) {
		state.SkipWithError("the file does not read");
		return;
	}
	for (auto _ : state) {
		for (const PSDLayer& layer : layers.layers) {
			for (const PSDLayerChannel& channel : layer.channels) {
				const PSDPlaneSetLayout plane = {
				    true, 1, 1,  side, side, channel.offset + 2 + (uint64_t)side * 2,
				    1,    2, -1, false};
				DropSpans spans;
				psdCoreReadPlaneSet(&in, plane, spans);
			}
		}
	}
}

} // namespace

void register_layer_benchmarks(BTranslatorRoster& roster, uint32_t side)
{
	benchmark::RegisterBenchmark(
	    "layers_render",
	    [&roster, side](benchmark::State& state) { run_render(state, roster, layered_file(side)); })
	    ->Unit(benchmark::kMillisecond)
	    ->UseRealTime();
	// Half the side: the effects' reach around a layer of the whole canvas.
	benchmark::RegisterBenchmark("layers_effects",
	                             [&roster, side](benchmark::State& state) {
		                             run_render(state, roster, effects_file(side / 2));
	                             })
	    ->Unit(benchmark::kMillisecond)
	    ->UseRealTime();
	benchmark::RegisterBenchmark("layers_channels",
	                             [side](benchmark::State& state) { run_channels(state, side); })
	    ->Unit(benchmark::kMillisecond)
	    ->UseRealTime();
}
