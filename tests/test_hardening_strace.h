// Finding file writes in an strace log: the system calls that create,
// change or remove a name, and every open for writing, whether it succeeded
// or not (the null device aside). Shared by the headless and the X11 hardening tests.
#pragma once
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

// The calls strace is asked to log (-e trace=...).
inline const char* StraceFileCalls() {
  return "open,openat,openat2,creat,mkdir,mkdirat,rename,renameat,renameat2,link,linkat,symlink,symlinkat,"
         "unlink,unlinkat,rmdir,truncate,mknod,mknodat";
}

inline bool HaveStrace() { return std::system("strace -V >/dev/null 2>&1") == 0; }

// The log lines of calls that write a file: an open with a write flag or
// O_CREAT, and any call that makes, renames or removes a name.
inline std::vector<std::string> FileWrites(const std::string& logPath) {
  static const std::regex opening(R"((^|\s)(open|openat|openat2)\()");
  static const std::regex writing(R"(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND)");
  static const std::regex changing(
      R"((^|\s)(creat|mkdir|mkdirat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|unlink|unlinkat|rmdir|truncate|mknod|mknodat)\()");
  std::vector<std::string> found;
  std::ifstream in(logPath);
  for (std::string line; std::getline(in, line);) {
    if (line.find("\"/dev/null\"") != std::string::npos) continue;  // no file: the null device
    if (std::regex_search(line, opening) && std::regex_search(line, writing)) found.push_back(line);
    else if (std::regex_search(line, changing)) found.push_back(line);
  }
  return found;
}

// The number of open calls in the log: a log that saw none watched nothing.
inline int OpenCalls(const std::string& logPath) {
  static const std::regex opening(R"((^|\s)(open|openat|openat2)\()");
  int n = 0;
  std::ifstream in(logPath);
  for (std::string line; std::getline(in, line);) n += std::regex_search(line, opening) ? 1 : 0;
  return n;
}
