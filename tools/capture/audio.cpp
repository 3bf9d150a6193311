#include "tools/capture/audio.h"

#include <algorithm>

#include "music/bass.h"

namespace {

void PutU16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void PutU32(uint8_t* p, uint32_t v) { PutU16(p, v & 0xFFFF), PutU16(p + 2, v >> 16); }

// The 44-byte header of a 16-bit stereo PCM WAV file with dataBytes of data.
void MakeWavHeader(uint8_t* h, uint32_t rate, uint64_t dataBytes) {
  const uint32_t data = uint32_t(std::min<uint64_t>(dataBytes, 0xFFFFFFFFull - 36));
  std::copy_n("RIFF", 4, h);
  PutU32(h + 4, 36 + data);
  std::copy_n("WAVEfmt ", 8, h + 8);
  PutU32(h + 16, 16);
  PutU16(h + 20, 1);  // PCM
  PutU16(h + 22, 2);
  PutU32(h + 24, rate);
  PutU32(h + 28, rate * 4);
  PutU16(h + 32, 4);
  PutU16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  PutU32(h + 40, data);
}

}  // namespace

TRunnerAudio::~TRunnerAudio() {
  if (Wav != nullptr) std::fclose(Wav);
}

bool TRunnerAudio::Begin(const std::string& wavPath, uint32_t origin, std::string& error) {
  Last = origin;
  if (wavPath.empty()) return true;
  Wav = std::fopen(wavPath.c_str(), "wb");
  if (Wav == nullptr) {
    error = "cannot create " + wavPath;
    return false;
  }
  uint8_t header[44];
  MakeWavHeader(header, Rate, 0);
  if (std::fwrite(header, 1, sizeof header, Wav) != sizeof header) WriteFailed = true;
  return true;
}

void TRunnerAudio::DecodeUntil(uint32_t now, bool soundOn) {
  // The clock wraps at 2^32; the unsigned difference is the time passed.
  ElapsedMs += uint32_t(now - Last);
  Last = now;
  const uint64_t target = ElapsedMs * Rate / 1000;
  // Silence that nobody takes need not be made: a long virtual frame under
  // "-nosound" would otherwise fill gigabytes of zeros.
  if (!soundOn && Wav == nullptr && !OnFrames) {
    Frames = std::max(Frames, target);
    return;
  }
  while (Frames < target) {
    const size_t n = size_t(std::min<uint64_t>(target - Frames, BlockFrames));
    size_t got = soundOn ? MusicDecode(Block, n) : 0;
    std::fill(Block + 2 * got, Block + 2 * n, int16_t(0));
    if (OnFrames) OnFrames(Block, n);
    Write(Block, n);
    Frames += n;
  }
}

void TRunnerAudio::Write(const int16_t* stereo, size_t frames) {
  if (Wav == nullptr) return;
  uint8_t bytes[BlockFrames * 4];
  for (size_t i = 0; i < frames * 2; ++i) PutU16(bytes + 2 * i, uint16_t(stereo[i]));
  if (std::fwrite(bytes, 4, frames, Wav) != frames) WriteFailed = true;
}

bool TRunnerAudio::Finish(std::string& error) {
  if (Wav == nullptr) return true;
  uint8_t header[44];
  MakeWavHeader(header, Rate, Frames * 4);
  if (std::fseek(Wav, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, Wav) != sizeof header)
    WriteFailed = true;
  if (std::fclose(Wav) != 0) WriteFailed = true;
  Wav = nullptr;
  if (WriteFailed) error = "cannot write the audio file";
  return !WriteFailed;
}
