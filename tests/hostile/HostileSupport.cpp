#include "HostileSupport.h"

#include <Message.h>
#include <Tarnwick.h>

#include <ByteOrder.h>
#include <TranslatorFormats.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace hostile {

AddOns::AddOns()
{
	setenv("XDG_CONFIG_HOME", NO_SETTINGS_DIR, 1);
	roster.AddTranslators(TRANSLATORS_DIR);
	roster.FindTranslator("PSD Images", &tarnwick);
	roster.FindTranslator("Wendral", &wendral);
}

AddOns& addOns()
{
	static AddOns loaded;
	return loaded;
}

PipeInput::PipeInput(const Bytes& bytes, size_t chunk) : fBytes(bytes), fChunk(chunk) {}

ssize_t PipeInput::Read(void* buffer, size_t size)
{
	size_t count = std::min({size, fChunk, fBytes.size() - fNext});
	memcpy(buffer, fBytes.data() + fNext, count);
	fNext += count;
	return (ssize_t)count;
}

Outcome translateWith(translator_id translator, uint32 type, BPositionIO* in, BMessage* extension)
{
	translator_info info = {};
	info.type = type;
	info.translator = translator;
	LimitedOutput out;
	Outcome outcome;
	outcome.status = addOns().roster.Translate(in, &info, extension, &out, B_TRANSLATOR_BITMAP);
	const uint8_t* data = (const uint8_t*)out.Buffer();
	outcome.bytes.assign(data, data + out.BufferLength());
	outcome.writes = out.Writes();
	return outcome;
}

Outcome translatePSD(const Bytes& file)
{
	BMemoryIO in(file.data(), file.size());
	return translateWith(addOns().tarnwick, kPSDType, &in);
}

Outcome translateMergedPSD(const Bytes& file)
{
	BMemoryIO in(file.data(), file.size());
	BMessage merged;
	merged.AddBool(TARNWICK_EXT_LAYERS, false);
	return translateWith(addOns().tarnwick, kPSDType, &in, &merged);
}

Outcome translateScreen(const Bytes& file)
{
	BMemoryIO in(file.data(), file.size());
	return translateWith(addOns().wendral, kZXType, &in);
}

static uint32 big32(const uint8_t* p)
{
	uint32 value;
	memcpy(&value, p, 4);
	return B_BENDIAN_TO_HOST_INT32(value);
}

static float bigFloat(const uint8_t* p)
{
	uint32 bits = big32(p);
	float value;
	memcpy(&value, &bits, 4);
	return value;
}

::testing::AssertionResult untouchedOrBitmap(const Outcome& outcome, color_space colors)
{
	if (outcome.status != B_OK) {
		if (outcome.writes != 0 || !outcome.bytes.empty())
			return ::testing::AssertionFailure()
			       << "status " << outcome.status << " after " << outcome.writes << " writes";
		return ::testing::AssertionSuccess();
	}
	const Bytes& b = outcome.bytes;
	if (b.size() < kBitmapHeaderSize)
		return ::testing::AssertionFailure() << "B_OK with " << b.size() << " bytes";
	const uint32 bytesPerPixel = colors == B_RGBA32 ? 4 : 1;
	const float left = bigFloat(&b[4]), top = bigFloat(&b[8]);
	const float right = bigFloat(&b[12]), bottom = bigFloat(&b[16]);
	const float limit = 4294967296.0f; // NaN fails every comparison
	if (big32(&b[0]) != B_TRANSLATOR_BITMAP || left != 0 || top != 0 ||
	    !(right >= 0 && right < limit) || !(bottom >= 0 && bottom < limit) ||
	    right != (float)(uint64)right || bottom != (float)(uint64)bottom)
		return ::testing::AssertionFailure() << "bad magic or bounds";
	const uint64 width = (uint64)right + 1, height = (uint64)bottom + 1;
	const uint32 rowBytes = big32(&b[20]), dataSize = big32(&b[28]);
	if (big32(&b[24]) != (uint32)colors)
		return ::testing::AssertionFailure() << "colour space " << big32(&b[24]);
	if (rowBytes != width * bytesPerPixel || dataSize != (uint64)rowBytes * height)
		return ::testing::AssertionFailure() << "rowBytes " << rowBytes << ", dataSize " << dataSize
		                                     << " for " << width << " x " << height;
	if (b.size() != kBitmapHeaderSize + dataSize || outcome.writes != 2)
		return ::testing::AssertionFailure()
		       << b.size() << " bytes in " << outcome.writes << " writes for dataSize " << dataSize;
	return ::testing::AssertionSuccess();
}

Bytes pixelsOf(const Outcome& outcome)
{
	if (outcome.status != B_OK || outcome.bytes.size() < kBitmapHeaderSize)
		return Bytes();
	return Bytes(outcome.bytes.begin() + kBitmapHeaderSize, outcome.bytes.end());
}

Bytes readFile(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<std::string> filesIn(const std::string& folder, const std::string& suffix)
{
	std::vector<std::string> files;
	if (DIR* dir = opendir(folder.c_str())) {
		while (dirent* entry = readdir(dir)) {
			const std::string name = entry->d_name;
			struct stat st;
			const std::string path = folder + "/" + name;
			if (name.size() >= suffix.size() &&
			    name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
			    stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
				files.push_back(path);
		}
		closedir(dir);
	}
	std::sort(files.begin(), files.end());
	return files;
}

} // namespace hostile
