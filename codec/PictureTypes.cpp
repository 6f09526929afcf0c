#include "codec/PictureTypes.h"

#include <cctype>

#include "codec/Picture.h"

int PictureTypeFromExtension(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return kImageUnknown;
  std::string extension;
  for (char c : path.substr(dot + 1))
    extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "bmp") return kImageBmp;
  if (extension == "gif") return kImageGif;
  if (extension == "jpg" || extension == "jpeg") return kImageJpeg;
  if (extension == "png") return kImagePng;
  if (extension == "tga") return kImageTga;
  if (extension == "pcx") return kImagePcx;
  if (extension == "wmf") return kImageWmf;
  if (extension == "psd") return kImagePsd;
  return kImageUnknown;
}

const char* PictureTypeName(int type) {
  static const char* const kNames[] = {"unknown", "BMP", "GIF", "JPEG", "PNG", "TGA", "PCX", "WMF", "PSD"};
  return type >= kImageBmp && type <= kImagePsd ? kNames[type] : kNames[0];
}
