// Picture types from file names, and their display names.
#pragma once

#include <string>

// The type of a picture file from its last extension, without regard to case:
// bmp, gif, jpg or jpeg, png, tga, pcx, wmf, psd; anything else is unknown (0).
int PictureTypeFromExtension(const std::string& path);

// "BMP", "GIF", "JPEG", "PNG", "TGA", "PCX", "WMF", "PSD", or "unknown".
const char* PictureTypeName(int type);
