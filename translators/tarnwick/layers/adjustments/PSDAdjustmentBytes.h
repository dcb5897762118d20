#ifndef PSD_ADJUSTMENT_BYTES_H
#define PSD_ADJUSTMENT_BYTES_H

// Walks an adjustment block's bytes front to back. A read past the end gives
// zero and marks the walk failed, so a reader checks once, after its fields.

#include <SupportDefs.h>

#include <cstring>
#include <optional>
#include <vector>

class PSDAdjustmentBytes {
public:
	explicit PSDAdjustmentBytes(const std::vector<uint8>& data)
	    : fData(data.data()), fSize(data.size())
	{
	}

	bool Failed() const { return fFailed; }
	// What was read, unless the walk failed.
	template <class Settings> std::optional<Settings> Checked(Settings settings) const
	{
		if (fFailed)
			return std::nullopt;
		return settings;
	}
	size_t Left() const { return fSize - fAt; }
	size_t Position() const { return fAt; }
	const uint8* Here() const { return fData + fAt; }

	bool Skip(size_t count)
	{
		if (count > Left()) {
			fFailed = true;
			fAt = fSize;
			return false;
		}
		fAt += count;
		return true;
	}
	uint8 Uint8() { return Skip(1) ? fData[fAt - 1] : 0; }
	uint16 Big16()
	{
		if (!Skip(2))
			return 0;
		return (uint16)(fData[fAt - 2] << 8 | fData[fAt - 1]);
	}
	int16 BigInt16() { return (int16)Big16(); }
	uint32 Big32()
	{
		const uint32 high = Big16();
		return high << 16 | Big16();
	}
	float BigFloat()
	{
		const uint32 bits = Big32();
		float value;
		memcpy(&value, &bits, sizeof(value));
		return value;
	}

private:
	const uint8* fData;
	size_t fSize;
	size_t fAt = 0;
	bool fFailed = false;
};

#endif
