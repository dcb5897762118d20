#ifndef _LOCKER_H
#define _LOCKER_H

#include <SupportDefs.h>

#include <atomic>
#include <mutex>
#include <thread>

// Recursive, as on the platform: the holder may lock again.
class BLocker {
public:
	BLocker();
	BLocker(const char* name);
	BLocker(const char* name, bool benaphoreStyle);
	virtual ~BLocker();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	const char* Name() const;
	int32 CountLocks() const;

private:
	char fName[32];
	std::recursive_mutex fMutex;
	std::atomic<std::thread::id> fOwner;
	int32 fCount;
};

#endif
