// Tarnwick's translator and settings compiled into the test itself, so that
// the record can hold what only a host can put there.
#include "TestImages.h"

#include <settings/PSDSettings.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

Bytes output_for(decoded kind)
{
	Bytes output = bitmap_header(2, 1);
	Bytes pixels = two_pixel_result(kind);
	output.insert(output.end(), pixels.begin(), pixels.end());
	return output;
}

void store_settings(bool alpha4, int8 multichannelRead)
{
	g_settings_lock.Lock();
	g_settings.alpha4 = alpha4;
	g_settings.multichannelRead = multichannelRead;
	g_settings_lock.Unlock();
}

TEST(TarnwickRecord, MultichannelReadOutsideTheThreeChoicesReadsAsRGB)
{
	for (int8 value : {0, 4, -1, 127, -128}) {
		store_settings(true, value);
		EXPECT_EQ(output_for(decoded::rgb),
		          translate_with(Translate, two_pixel_psd(7, 4, 8, false)).output)
		    << "multichannelRead " << (int)value;
		EXPECT_EQ(output_for(decoded::gray),
		          translate_with(Translate, two_pixel_psd(7, 2, 8, true)).output)
		    << "multichannelRead " << (int)value;
	}
	store_settings(false, 1);
}

// A setting changed while translations run gives each image one decoding or
// the other, never a mixture.
TEST(TarnwickRecord, SettingsChangingDuringTranslationGiveWholeImages)
{
	const Bytes psd = two_pixel_psd(3, 4, 8, true);
	const Bytes withAlpha = output_for(decoded::rgba);
	const Bytes withoutAlpha = output_for(decoded::rgb);
	std::atomic<bool> stop(false);
	std::thread changer([&] {
		for (bool alpha4 = true; !stop.load(); alpha4 = !alpha4)
			store_settings(alpha4, 2);
	});
	std::vector<std::thread> translators;
	std::atomic<int> whole(0), mixed(0);
	for (int i = 0; i < 4; i++) {
		translators.emplace_back([&] {
			for (int round = 0; round < 300; round++) {
				Bytes output = translate_with(Translate, psd).output;
				(output == withAlpha || output == withoutAlpha ? whole : mixed)++;
			}
		});
	}
	for (std::thread& thread : translators)
		thread.join();
	stop = true;
	changer.join();
	store_settings(false, 1);
	EXPECT_EQ(0, mixed.load());
	EXPECT_EQ(1200, whole.load());
}

} // namespace
