#ifndef _FILE_H
#define _FILE_H

#include <DataIO.h>
#include <StorageDefs.h>

// A file opened by path. Read and Write move the whole count unless the file
// ends or fails: short reads and writes of the descriptor are retried.
class BFile : public BPositionIO {
public:
	BFile();
	BFile(const char* path, uint32 openMode);
	virtual ~BFile();

	status_t SetTo(const char* path, uint32 openMode);
	status_t InitCheck() const;
	void Unset();

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);
	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);

	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;

	virtual status_t SetSize(off_t size);
	virtual status_t GetSize(off_t* size) const;

	int Descriptor() const { return fFd; }

private:
	int fFd;
	status_t fStatus;
};

#endif
