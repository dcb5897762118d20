// SCREEN$ input that is not a plain file: a pipe that cannot seek, a pipe
// that delivers the screen in pieces, and a stream shorter than its size
// claims. Wendral reads its input once: it converts what that one read
// delivers or refuses it, and never writes part of a bitmap.

#include "HostileSupport.h"

#include <TranslatorFormats.h>

#include <random>

using namespace hostile;

namespace {

Bytes randomScreen(size_t size)
{
	std::mt19937 random((unsigned)size);
	Bytes screen(size);
	for (uint8_t& b : screen)
		b = (uint8_t)random();
	return screen;
}

// Claims `claimed` bytes (its end and its size) but delivers only the bytes.
class ShortStream : public BMemoryIO {
public:
	ShortStream(const Bytes& bytes, off_t claimed)
	    : BMemoryIO(bytes.data(), bytes.size()), fClaimed(claimed)
	{
	}
	off_t Seek(off_t position, uint32 mode) override
	{
		return mode == SEEK_END ? BMemoryIO::Seek(fClaimed + position, SEEK_SET)
		                        : BMemoryIO::Seek(position, mode);
	}
	status_t GetSize(off_t* size) const override
	{
		*size = fClaimed;
		return B_OK;
	}

private:
	off_t fClaimed;
};

TEST(HostileScreen, PipeReadInOnePieceConvertsLikeAFile)
{
	for (size_t size : {6912, 6921, 6924, 7396}) {
		SCOPED_TRACE(size);
		const Bytes screen = randomScreen(size);
		PipeInput pipe(screen);
		const Outcome outcome = translateWith(addOns().wendral, kZXType, &pipe);
		ASSERT_EQ(B_OK, outcome.status);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_CMAP8));
		EXPECT_EQ(translateScreen(screen).bytes, outcome.bytes);
	}
}

TEST(HostileScreen, PipeDeliveringPiecesIsRefused)
{
	const Bytes screen = randomScreen(6912);
	for (size_t chunk : {1, 4096, 6911}) {
		SCOPED_TRACE(chunk);
		PipeInput pipe(screen, chunk);
		const Outcome outcome = translateWith(addOns().wendral, kZXType, &pipe);
		EXPECT_EQ(B_NO_TRANSLATOR, outcome.status);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_CMAP8));
	}
}

// The roster cannot rewind a pipe: identification takes bytes from it, and
// the translation that follows finds too few and refuses.
TEST(HostileScreen, PipeIdentifiedThenTranslatedIsRefused)
{
	const Bytes screen = randomScreen(6912);
	PipeInput pipe(screen);
	translator_info identified;
	addOns().roster.Identify(&pipe, nullptr, &identified);
	translator_info info = {};
	info.type = kZXType;
	info.translator = addOns().wendral;
	LimitedOutput out;
	EXPECT_EQ(B_NO_TRANSLATOR,
	          addOns().roster.Translate(&pipe, &info, nullptr, &out, B_TRANSLATOR_BITMAP));
	EXPECT_EQ(0, out.Writes());
	EXPECT_EQ(0u, out.BufferLength());
}

TEST(HostileScreen, StreamShorterThanItClaimsIsJudgedByWhatItDelivers)
{
	const Bytes screen = randomScreen(7396);
	for (size_t delivered : {0, 100, 6911, 6913, 7395}) {
		SCOPED_TRACE(delivered);
		const Bytes part(screen.begin(), screen.begin() + delivered);
		ShortStream in(part, 6912);
		const Outcome outcome = translateWith(addOns().wendral, kZXType, &in);
		EXPECT_EQ(B_NO_TRANSLATOR, outcome.status);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_CMAP8));
	}
	const Bytes bare(screen.begin(), screen.begin() + 6912);
	ShortStream in(bare, 7396);
	const Outcome outcome = translateWith(addOns().wendral, kZXType, &in);
	ASSERT_EQ(B_OK, outcome.status);
	EXPECT_EQ(translateScreen(bare).bytes, outcome.bytes);
}

} // namespace
