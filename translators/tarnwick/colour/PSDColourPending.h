#ifndef PSD_COLOUR_PENDING_H
#define PSD_COLOUR_PENDING_H

// A reading's colour transform, made on a thread of its own while the
// reading decodes where no reading has made it before: the first file of a
// profile does not wait for its table before it starts decoding. The
// thread is joined by the first that needs the transform, or at the end.

#include "PSDColourTransform.h"

#include <functional>
#include <mutex>
#include <thread>

class PSDColourPending {
public:
	typedef std::function<std::shared_ptr<const PSDColourTransform>()> Maker;

	// Ready at once.
	explicit PSDColourPending(std::shared_ptr<const PSDColourTransform> transform);
	// Made by make, on a thread of its own (or here, where none can be had).
	explicit PSDColourPending(Maker make);
	~PSDColourPending();

	// Waits for it; null when it could not be made. Safe on any thread.
	const PSDColourTransform* Get();

private:
	std::mutex fLock;
	std::thread fMaker;
	std::shared_ptr<const PSDColourTransform> fTransform;
};

#endif
