#pragma once

#include <string>

// The samples the service offers for its pictures: small enough to show whole in a box of the
// program's preview window.

inline constexpr int SampleWidth = 297;
inline constexpr int SampleHeight = 241;

// The sample of the picture in bytes, whose file name is file: the picture scaled down (or up)
// until it covers SampleWidth x SampleHeight, that much of its middle, in the picture's own
// format (the program reads a file by its extension). Throws when the picture does not decode.
std::string makeSample(const std::string& bytes, const std::string& file);
