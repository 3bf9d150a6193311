// The committed pictures are exactly what the generator draws: it runs into
// a fresh folder and every file must match assets/pictures byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> BmpNames(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".bmp") names.insert(e.path().filename().string());
  return names;
}

#ifdef DM_MAKE_PICTURES
TEST(PictureGenerator, ReproducesTheCommittedPictures) {
  const fs::path out = fs::temp_directory_path() / ("dm_pictures_" + std::to_string(::getpid()));
  fs::remove_all(out);
  fs::create_directories(out);
  const std::string cmd = std::string("\"") + DM_MAKE_PICTURES + "\" \"" + out.string() + "\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const fs::path committed = fs::path(DM_SOURCE_DIR) / "assets" / "pictures";
  const std::set<std::string> made = BmpNames(out);
  EXPECT_EQ(made.size(), 14u);
  EXPECT_EQ(made, BmpNames(committed));
  for (const std::string& name : made) EXPECT_TRUE(ReadAll(out / name) == ReadAll(committed / name)) << name;
  fs::remove_all(out);
}
#endif

}  // namespace
