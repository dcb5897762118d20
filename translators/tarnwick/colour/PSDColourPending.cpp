#include "PSDColourPending.h"

#include <system_error>

PSDColourPending::PSDColourPending(std::shared_ptr<const PSDColourTransform> transform)
    : fTransform(std::move(transform))
{
}

PSDColourPending::PSDColourPending(Maker make)
{
	try {
		fMaker = std::thread([this, make] { fTransform = make(); });
	} catch (const std::system_error&) {
		fTransform = make();
	}
}

PSDColourPending::~PSDColourPending()
{
	Get();
}

const PSDColourTransform* PSDColourPending::Get()
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fMaker.joinable())
		fMaker.join();
	return fTransform.get();
}
