// Files compiled into the program (the pictures).
#pragma once
#include <cstddef>

struct TEmbeddedFile {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

extern const TEmbeddedFile EmbeddedPictures[];
extern const int EmbeddedPictureCount;
