// Replays the fuzzer's seed corpus through its entry point, so the host
// tests keep every seed script running clean under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzCorpus, EverySeedRunsClean) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SWEEPALL_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                     bytes.size()),
              0);
    ++seeds;
  }
  EXPECT_GE(seeds, 10) << "the seed corpus is missing";
}
