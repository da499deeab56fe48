// Replays the committed fuzz corpus through every entry point, on any compiler: each LOG the
// fuzzer once found interesting must still decode cleanly (see fuzz/log_checks.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/log_checks.h"
#include "support/capture.h"

TEST(FuzzCorpus, EveryLogDecodesCleanlyThroughEveryEntryPoint) {
  const std::filesystem::path corpus = std::filesystem::path(ORVEX_SOURCE_DIR) / "tests/fuzz/corpus";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 100u) << corpus;
  for (const auto& file : files) {
    const std::string bytes = read_file(file.string());
    EXPECT_EQ(check_every_entry_point(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
        << file.filename();
  }
}
