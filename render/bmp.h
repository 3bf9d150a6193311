// Reading the pictures the program carries: inflating an embedded file and
// decoding a device-independent bitmap (1, 8 or 24 bits, uncompressed).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/embedded.h"
#include "render/imagelist.h"

// The file's bytes, inflated when it is carried compressed. False when the
// stream is damaged or does not inflate to the recorded size.
bool InflateEmbedded(const TEmbeddedFile& file, std::vector<uint8_t>& out);

// Decodes a bitmap file (14-byte file header, 40-byte or larger info header,
// colour table, rows bottom-up or top-down) into picture. False, with picture
// left empty, when the data is not such a bitmap or is cut short.
bool DecodeBmp(const uint8_t* data, size_t size, TStoredPicture& picture);
