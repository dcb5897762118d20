#include <Locker.h>

#include <cstring>

BLocker::BLocker() : BLocker("some BLocker") {}

BLocker::BLocker(const char* name) : fOwner(std::thread::id()), fCount(0)
{
	strncpy(fName, name != nullptr ? name : "", sizeof(fName) - 1);
	fName[sizeof(fName) - 1] = '\0';
}

BLocker::BLocker(const char* name, bool) : BLocker(name) {}

BLocker::~BLocker() {}

bool BLocker::Lock()
{
	fMutex.lock();
	fOwner.store(std::this_thread::get_id());
	fCount++;
	return true;
}

void BLocker::Unlock()
{
	if (fOwner.load() != std::this_thread::get_id())
		return;
	if (--fCount == 0)
		fOwner.store(std::thread::id());
	fMutex.unlock();
}

bool BLocker::IsLocked() const
{
	return fOwner.load() == std::this_thread::get_id();
}

const char* BLocker::Name() const
{
	return fName;
}

int32 BLocker::CountLocks() const
{
	return IsLocked() ? fCount : 0;
}
