// Files compiled into the program (the pictures).
#pragma once
#include <cstddef>

struct TEmbeddedFile {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
  // When nonzero, Data is a gzip stream of Size bytes that inflates to
  // RawSize bytes, the file itself.
  size_t RawSize = 0;
};

extern const TEmbeddedFile EmbeddedPictures[];
extern const int EmbeddedPictureCount;
