#include "tools/capture/video.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/form.h"

extern char** environ;

static_assert(std::endian::native == std::endian::little, "the pictures are piped as little-endian B, G, R, 0");

namespace {

// Set by SIGINT and SIGTERM while a video is written, so the capture can
// stop ffmpeg and delete its temporary file instead of dying half-way.
volatile sig_atomic_t Interrupted = 0;
void NoteInterrupt(int) { Interrupted = 1; }

void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = NoteInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A pipe whose reader is gone must fail the write, not kill the runner.
  signal(SIGPIPE, SIG_IGN);
}

// The full path of an executable found on PATH, or "" when there is none.
std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

// 16-bit pixel to the bytes B, G, R, 0 (as one little-endian word), each
// channel widened to 8 bits by repeating its top bits, as the PNGs do.
std::vector<uint32_t> MakePalette(TPixelLayout layout) {
  std::vector<uint32_t> palette(65536);
  for (uint32_t p = 0; p < 65536; ++p) {
    uint32_t r, g, b;
    if (layout == TPixelLayout::Layout565) {
      r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
      g = (g << 2) | (g >> 4);
    } else {
      r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
      g = (g << 3) | (g >> 2);
    }
    r = (r << 3) | (r >> 2);
    b = (b << 3) | (b >> 2);
    palette[p] = b | (g << 8) | (r << 16);
  }
  return palette;
}

// The last line ffmpeg wrote to its log, or "" (it logs errors only).
std::string LastLogLine(const std::string& path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line)) {
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    if (line.find_first_not_of(" \t") != std::string::npos) last = line;
  }
  return last;
}

void GrowPipe(int fd) {
  // Fewer, larger writes; the default of 64 KiB is a fraction of a picture.
  ::fcntl(fd, F_SETPIPE_SZ, 1 << 20);
}

std::string Clock(double seconds) {
  const long s = long(seconds + 0.5);
  char buf[32];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

}  // namespace

std::vector<uint8_t>& TByteQueue::PushBack() {
  if (Count == Slots.size()) {
    // Full: put the chunks in order from slot 0 and add one at the end.
    std::rotate(Slots.begin(), Slots.begin() + long(Head), Slots.end());
    Head = 0;
    Slots.emplace_back();
  }
  std::vector<uint8_t>& slot = Slots[(Head + Count) % Slots.size()];
  ++Count;
  slot.clear();
  return slot;
}

void TByteQueue::Consume(size_t n) {
  Offset += n;
  if (Offset < Slots[Head].size()) return;
  Offset = 0;
  Head = (Head + 1) % Slots.size();
  --Count;
}

TVideoWriter::~TVideoWriter() { Abandon(); }

bool TVideoWriter::Prepare(const std::string& path, std::string& error) {
  Ffmpeg = FindOnPath("ffmpeg");
  if (Ffmpeg.empty()) {
    error = "cannot make a video: ffmpeg is not on PATH (Debian package ffmpeg)";
    return false;
  }
  namespace fs = std::filesystem;
  const fs::path requested(path);
  std::error_code ec;
  if (requested.filename().empty() || fs::is_directory(requested, ec)) {
    error = "cannot write " + path + ": it names a folder, not a file";
    return false;
  }
  FinalPath = path;
  const fs::path temp = requested.parent_path() /
                        ("." + requested.filename().string() + ".partial-" + std::to_string(::getpid()));
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  TempPath = temp.string();
  CatchInterrupts();
  return true;
}

bool TVideoWriter::Start(int32_t width, int32_t height, TPixelLayout layout, uint32_t scale, bool withAudio,
                         std::string& error) {
  Width = width, Height = height, Scale = scale, WithAudio = withAudio;
  Palette = MakePalette(layout);
  Last.assign(size_t(width) * size_t(height), 0);

  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/driftmosaic-capture-XXXXXX";
  if (::mkdtemp(dir.data()) == nullptr) {
    error = "cannot make a video: no private folder for the sound pipe: " + std::string(std::strerror(errno));
    return false;
  }
  WorkDir = dir;
  LogPath = WorkDir + "/ffmpeg.log";
  AudioPipe = WorkDir + "/sound";
  if (withAudio && ::mkfifo(AudioPipe.c_str(), 0600) != 0) {
    error = "cannot make a video: cannot create the sound pipe: " + std::string(std::strerror(errno));
    return false;
  }

  const std::string size = std::to_string(width * int32_t(scale)) + "x" + std::to_string(height * int32_t(scale));
  // Pictures on ffmpeg's standard input, sound through the named pipe. The
  // first picture shows 40 ms into the video: the first tick comes 40 ms
  // after the music starts, and tick k's picture stays until tick k + 1.
  std::vector<std::string> args = {
      "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y",
      "-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size", size, "-framerate", "25", "-itsoffset", "0.04",
      "-i", "pipe:0"};
  if (withAudio)
    args.insert(args.end(), {"-f", "s16le", "-ar", "44100", "-ac", "2", "-i", AudioPipe});
  args.insert(args.end(), {"-map", "0:v"});
  if (withAudio) args.insert(args.end(), {"-map", "1:a", "-c:a", "flac"});
  args.insert(args.end(), {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1",
                           "-pix_fmt", "bgr0", "-f", "matroska", TempPath});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    error = "cannot make a video: " + std::string(std::strerror(errno));
    return false;
  }
  const int logFd = ::open(LogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (logFd >= 0) posix_spawn_file_actions_adddup2(&actions, logFd, 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group, so Ctrl-C reaches the runner only and the runner
  // decides; the signals the runner handles or ignores are default in ffmpeg.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, s);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  const int rc = posix_spawn(&Child, Ffmpeg.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(pipeFds[0]);
  if (logFd >= 0) ::close(logFd);
  if (rc != 0) {
    Child = -1;
    ::close(pipeFds[1]);
    error = "cannot run " + Ffmpeg + ": " + std::strerror(rc);
    return false;
  }
  Video.Fd = pipeFds[1];
  ::fcntl(Video.Fd, F_SETFL, ::fcntl(Video.Fd, F_GETFL) | O_NONBLOCK);
  GrowPipe(Video.Fd);
  if (!withAudio) Audio.Ended = true;
  return true;
}

void TVideoWriter::Present(const TSurface& frame) {
  const int32_t w = std::min(Width, frame.Width), h = std::min(Height, frame.Height);
  for (int32_t y = 0; y < h; ++y) std::copy_n(frame.Row(y), w, Last.data() + size_t(y) * size_t(Width));
}

void TVideoWriter::AddAudio(const int16_t* stereo, size_t frames) {
  if (!WithAudio || Child < 0) return;
  std::vector<uint8_t>& chunk = Audio.Queue.PushBack();
  chunk.resize(frames * 4);
  std::memcpy(chunk.data(), stereo, frames * 4);  // s16le: the host's own order
}

bool TVideoWriter::EndTick(std::string& error) {
  // The picture scaled by whole numbers, nearest neighbour: each pixel
  // becomes a Scale x Scale block.
  const size_t rowBytes = size_t(Width) * Scale * 4;
  std::vector<uint8_t>& out = Video.Queue.PushBack();
  out.resize(rowBytes * size_t(Height) * Scale);
  for (int32_t y = 0; y < Height; ++y) {
    uint8_t* row = out.data() + size_t(y) * Scale * rowBytes;
    uint8_t* p = row;
    const uint16_t* src = Last.data() + size_t(y) * size_t(Width);
    for (int32_t x = 0; x < Width; ++x) {
      const uint32_t v = Palette[src[x]];
      for (uint32_t k = 0; k < Scale; ++k, p += 4) std::memcpy(p, &v, 4);
    }
    for (uint32_t k = 1; k < Scale; ++k) std::memcpy(row + k * rowBytes, row, rowBytes);
  }
  ++Frames;
  return Flow(false, error);
}

bool TVideoWriter::OpenAudioPipe(std::string& error) {
  // Opening without blocking succeeds once ffmpeg has opened the pipe for
  // reading, which it does only after it has looked at the pictures; until
  // then the sound waits in its queue.
  const int fd = ::open(AudioPipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENXIO || errno == EINTR) return true;
    error = "cannot open the sound pipe: " + std::string(std::strerror(errno));
    return false;
  }
  Audio.Fd = fd;
  return true;
}

bool TVideoWriter::SoundPipeEmpty() const {
  int unread = 0;
  return Audio.Fd >= 0 && ::ioctl(Audio.Fd, FIONREAD, &unread) == 0 && unread == 0;
}

bool TVideoWriter::Drain(TStream& s, std::string& error) {
  while (!s.Queue.Empty()) {
    const ssize_t n = ::write(s.Fd, s.Queue.FrontData(), s.Queue.FrontSize());
    if (n > 0) {
      s.Queue.Consume(size_t(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      return true;
    } else {
      // ffmpeg stopped reading: it has failed; wait for its word on it.
      if (!FfmpegFailed(error, true)) error = "ffmpeg stopped reading its input";
      return false;
    }
  }
  return true;
}

bool TVideoWriter::FfmpegFailed(std::string& error, bool wait) {
  if (Child < 0) return false;
  int status = 0;
  pid_t r;
  // Waiting, give it a few seconds to exit after closing its input.
  for (int tries = 0;; ++tries) {
    r = ::waitpid(Child, &status, WNOHANG);
    if (r != 0 || !wait || tries >= 300) break;
    ::usleep(10'000);
  }
  if (r <= 0) return false;
  Child = -1;
  const std::string said = LastLogLine(LogPath);
  if (WIFEXITED(status))
    error = "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
  else
    error = "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status));
  if (!said.empty()) error += ": " + said;
  return true;
}

// Writes both streams until the next tick is wanted: when the pictures are
// all written, or when ffmpeg has read every byte of sound so far, since it
// may be waiting for more. Waiting for anything less could stall both sides:
// ffmpeg reads its inputs in time order but looks at seconds of sound before
// it starts. Waiting for no less keeps the runner, which draws faster than
// ffmpeg encodes, from queueing pictures far ahead of the encoder. Finishing,
// writes everything and closes both pipes.
bool TVideoWriter::Flow(bool finishing, std::string& error) {
  for (;;) {
    if (Interrupted) {
      error = "interrupted; no video written";
      return false;
    }
    if (WithAudio && Audio.Fd < 0 && !Audio.Ended && !OpenAudioPipe(error)) return false;
    if (!Video.Ended && !Drain(Video, error)) return false;
    if (Audio.Fd >= 0 && !Drain(Audio, error)) return false;
    if (finishing) {
      for (TStream* s : {&Video, &Audio})
        if (s->Fd >= 0 && s->Queue.Empty()) ::close(s->Fd), s->Fd = -1, s->Ended = true;
      if (Video.Ended && Audio.Ended) return true;
    } else if (Video.Queue.Empty() || (WithAudio && Audio.Queue.Empty() && SoundPipeEmpty())) {
      return true;
    }
    // Here something is waiting that ffmpeg has not taken yet.
    if (FfmpegFailed(error)) return false;
    pollfd fds[2];
    nfds_t n = 0;
    for (TStream* s : {&Video, &Audio})
      if (s->Fd >= 0 && !s->Queue.Empty()) fds[n++] = pollfd{s->Fd, POLLOUT, 0};
    const bool audioClosed = WithAudio && Audio.Fd < 0 && !Audio.Ended;
    ::poll(fds, n, audioClosed ? 5 : 100);
  }
}

bool TVideoWriter::Finish(std::string& error) {
  if (!Flow(true, error)) {
    Abandon();
    return false;
  }
  int status = 0;
  while (Child >= 0) {
    const pid_t r = ::waitpid(Child, &status, 0);
    if (r == Child) break;
    if (r < 0 && errno != EINTR) break;
    if (Interrupted) {
      error = "interrupted; no video written";
      Abandon();
      return false;
    }
  }
  Child = -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::string said = LastLogLine(LogPath);
    error = WIFEXITED(status) ? "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")"
                              : "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status));
    if (!said.empty()) error += ": " + said;
    Abandon();
    return false;
  }
  if (std::rename(TempPath.c_str(), FinalPath.c_str()) != 0) {
    error = "cannot write " + FinalPath + ": " + std::strerror(errno);
    Abandon();
    return false;
  }
  TempPath.clear();
  Done = true;
  Abandon();  // only the private folder is left to remove
  return true;
}

void TVideoWriter::Abandon() {
  for (TStream* s : {&Video, &Audio})
    if (s->Fd >= 0) ::close(s->Fd), s->Fd = -1;
  if (Child >= 0) {
    ::kill(Child, SIGKILL);
    int status;
    while (::waitpid(Child, &status, 0) < 0 && errno == EINTR) {
    }
    Child = -1;
  }
  if (!TempPath.empty()) ::unlink(TempPath.c_str());
  TempPath.clear();
  if (!WorkDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(WorkDir, ec);
    WorkDir.clear();
  }
}

TProgressLine::TProgressLine() : Started(std::chrono::steady_clock::now()), LastShown(Started) {}

double TProgressLine::ElapsedSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
}

void TProgressLine::Update(uint64_t done, uint64_t total, unsigned scene) {
  const auto now = std::chrono::steady_clock::now();
  if (now - LastShown < std::chrono::milliseconds(250)) return;
  LastShown = now;
  Print(done, total, scene);
}

void TProgressLine::Print(uint64_t done, uint64_t total, unsigned scene) {
  const double elapsed = ElapsedSeconds();
  std::string line = "video: frame " + std::to_string(done);
  if (total >= done && total > 0) line += " of " + std::to_string(total);
  line += ", scene " + std::to_string(scene) + ", " + Clock(elapsed) + " elapsed";
  if (total >= done && total > 0 && done > 0) line += ", about " + Clock(elapsed * double(total - done) / double(done)) + " left";
  // Spaces clear what a longer line before left behind.
  std::fprintf(stderr, "\r%-72s", line.c_str());
  std::fflush(stderr);
  Shown = true;
}

void TProgressLine::End(uint64_t done, unsigned scene, bool ok) {
  if (ok) {
    std::fprintf(stderr, "\r%-72s\n",
                 ("video: " + std::to_string(done) + " frames, scene " + std::to_string(scene) + ", done in " +
                  Clock(ElapsedSeconds()))
                     .c_str());
  } else if (Shown) {
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

namespace {

// Ticks until a clock at value passes limit, one step a tick.
uint64_t TicksToPass(double value, double limit, double step) {
  if (step <= 0.0) return 0;
  if (value > limit) return 1;
  return uint64_t(std::floor((limit - value) / step)) + 1;
}

}  // namespace

uint64_t ShowTicksLeft(const TForm1& f) {
  if (f.LoopShow || f.Scene == 99) return 0;
  if (f.Scene < 1 || f.Scene > 7) return 1;
  const double speed5 = std::max(1, f.Scene5Speed);
  // The first tick is timed by nothing and advances no clock.
  uint64_t ticks = f.TimeStep == 0.0 ? 1 : 0;
  // A flash clock is 1 after a reset and 0 after a flash.
  double flashClock = f.FlashClock;
  for (unsigned s = f.Scene; s <= 7; ++s) {
    const bool playing = s == f.Scene;
    switch (s) {
      case 1: ticks += TicksToPass(playing ? f.Scene1Clock : 1.0, 630.0, 1.0); break;
      case 3: ticks += TicksToPass(playing ? f.Scene3Clock : 1.0, 400.0, 1.0); break;
      case 5: ticks += TicksToPass(playing ? f.Scene5Position : 0.0, 1200.0, speed5); break;
      case 7: ticks += TicksToPass(playing ? f.Scene7Clock : 1.0, 690.0, 1.0); break;
      default:
        ticks += TicksToPass(flashClock, 14.0, 1.0);
        flashClock = 0.0;
        break;
    }
  }
  return ticks + 1;  // the tick that finds no scene and ends the show
}
