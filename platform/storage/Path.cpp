#include <Path.h>

#include <cstring>

BPath::BPath() : fStatus(B_NO_INIT) {}

BPath::BPath(const char* dir, const char* leaf, bool normalize) : fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const BPath& other) : fPath(other.fPath), fStatus(other.fStatus) {}

BPath::~BPath() {}

BPath& BPath::operator=(const BPath& other)
{
	fPath = other.fPath;
	fStatus = other.fStatus;
	return *this;
}

status_t BPath::SetTo(const char* path, const char* leaf, bool)
{
	Unset();
	if (path == nullptr || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	fPath = path;
	fStatus = B_OK;
	if (leaf != nullptr)
		return Append(leaf);
	return B_OK;
}

void BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t BPath::Append(const char* path, bool)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '/')
		return B_BAD_VALUE;
	if (path[0] == '\0')
		return B_OK;
	if (fPath.empty() || fPath.back() != '/')
		fPath += '/';
	fPath += path;
	return B_OK;
}

status_t BPath::InitCheck() const
{
	return fStatus;
}

const char* BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	const char* slash = strrchr(fPath.c_str(), '/');
	return slash != nullptr ? slash + 1 : fPath.c_str();
}
