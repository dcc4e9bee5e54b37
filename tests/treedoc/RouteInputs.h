#pragma once
// Inputs the route comparisons share: the fuzz seeds, and documents made of random pieces.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace zeltest {

// Every fuzz seed's bytes.
inline std::vector<std::string> FuzzSeeds() {
  std::vector<std::string> seeds;
  for (const auto& e :
       std::filesystem::recursive_directory_iterator(ZEL_SOURCE_DIR "/fuzz/corpus")) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return seeds;
}

// One to forty pieces, drawn at random.
inline std::string RandomPieces(std::mt19937& random, const std::vector<std::string>& pieces) {
  std::string text;
  const size_t n = 1 + random() % 40;
  for (size_t i = 0; i < n; ++i) text += pieces[random() % pieces.size()];
  return text;
}

}  // namespace zeltest
