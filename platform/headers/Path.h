#ifndef _PATH_H
#define _PATH_H

#include <SupportDefs.h>

#include <string>

// A path as text; nothing here touches the file system.
class BPath {
public:
	BPath();
	BPath(const char* dir, const char* leaf = nullptr, bool normalize = false);
	BPath(const BPath& other);
	virtual ~BPath();

	BPath& operator=(const BPath& other);

	status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
	void Unset();
	status_t Append(const char* path, bool normalize = false);
	status_t InitCheck() const;

	const char* Path() const;
	const char* Leaf() const;

private:
	std::string fPath;
	status_t fStatus;
};

#endif
