#include "CountedInput.h"

CountedInput::CountedInput(BPositionIO* input, FileProgress* progress)
    : fInput(input), fProgress(progress)
{
	off_t size = 0;
	if (fInput->GetSize(&size) == B_OK)
		fProgress->SetSize(size);
}

ssize_t CountedInput::_Counted(ssize_t result)
{
	if (result > 0)
		fProgress->AddRead((size_t)result);
	return result;
}

ssize_t CountedInput::Read(void* buffer, size_t size)
{
	return _Counted(fInput->Read(buffer, size));
}

ssize_t CountedInput::ReadAt(off_t position, void* buffer, size_t size)
{
	return _Counted(fInput->ReadAt(position, buffer, size));
}

ssize_t CountedInput::WriteAt(off_t position, const void* buffer, size_t size)
{
	return fInput->WriteAt(position, buffer, size);
}

off_t CountedInput::Seek(off_t position, uint32 seekMode)
{
	return fInput->Seek(position, seekMode);
}

off_t CountedInput::Position() const
{
	return fInput->Position();
}

status_t CountedInput::SetSize(off_t size)
{
	return fInput->SetSize(size);
}

status_t CountedInput::GetSize(off_t* size) const
{
	return fInput->GetSize(size);
}
