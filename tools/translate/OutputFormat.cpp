#include "OutputFormat.h"

#include <strings.h>

bool format_from_name(const std::string& name, OutputFormat* format)
{
	if (name == "png")
		*format = OutputFormat::kPng;
	else if (name == "bits")
		*format = OutputFormat::kBits;
	else
		return false;
	return true;
}

bool format_from_path(const std::string& path, OutputFormat* format)
{
	size_t slash = path.find_last_of('/');
	size_t dot = path.find_last_of('.');
	if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
		return false;
	const char* extension = path.c_str() + dot;
	if (strcasecmp(extension, ".png") == 0)
		*format = OutputFormat::kPng;
	else if (strcasecmp(extension, ".bits") == 0)
		*format = OutputFormat::kBits;
	else
		return false;
	return true;
}

const char* format_extension(OutputFormat format)
{
	return format == OutputFormat::kPng ? ".png" : ".bits";
}
