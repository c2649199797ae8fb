#include "util/media_files.h"

#include <gtest/gtest.h>

namespace dovel::util {
namespace {

TEST(MediaFiles, ExtensionAfterTheLastDotDecides) {
  EXPECT_EQ(MediaExtensions().size(), 28u);
  const struct {
    const char* name;
    bool media;
  } cases[] = {{"movie.AVI", true}, {"a.b.mkv", true}, {"song.mp3", true}, {"x.ts", true},        {"archive.zip", false},
               {"mp3", false},      {"noext.", false}, {".mp4", true},      {"a.mp4.txt", false}, {"영화.WMV", true}};
  for (const auto& [name, media] : cases) EXPECT_EQ(IsMediaFile(name), media) << name;
}

}  // namespace
}  // namespace dovel::util
