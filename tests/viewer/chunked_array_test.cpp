#include "document/chunked_array.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace viewer {
namespace {

// Entries of 4 KiB in chunks of 256: 1 MiB chunks, so every chunk after the
// first takes its pages in steps as PushBack reaches them.
struct TBig {
  std::uint32_t Key;
  std::array<std::uint8_t, 4092> Filler;
};

// Growth in every mix of PushBack, Append and Grow keeps each entry where it
// was written, across chunk boundaries and the page-taking steps.
TEST(ChunkedArray, MixedGrowthKeepsEveryEntry) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<char, std::size_t>> Steps;  // 'p' PushBack, 'a' Append, 'g' Grow (then written)
  };
  const TCase cases[] = {
      {"pushes across four chunks", {{'p', 1000}}},
      {"append to a chunk's end, then push", {{'a', 256}, {'p', 300}}},
      {"grow past a boundary, then push", {{'p', 10}, {'g', 500}, {'p', 600}}},
      {"append mid-chunk between pushes", {{'p', 255}, {'a', 2}, {'p', 256}, {'g', 1}, {'p', 3}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TChunkedArray<TBig, 8> array;
    std::vector<std::uint32_t> expected;
    for (auto [kind, count] : c.Steps) {
      for (std::size_t i = 0; i < count && kind == 'p'; ++i) {
        array.PushBack(TBig{static_cast<std::uint32_t>(expected.size()), {}});
        expected.push_back(static_cast<std::uint32_t>(expected.size()));
      }
      if (kind == 'a') {
        array.Append(count, TBig{7, {}});
        expected.insert(expected.end(), count, 7);
      }
      if (kind == 'g') {
        std::size_t from = array.Size();
        array.Grow(count);
        for (std::size_t i = from; i < array.Size(); ++i) array[i].Key = static_cast<std::uint32_t>(i) + 100000;
        for (std::size_t i = 0; i < count; ++i) expected.push_back(static_cast<std::uint32_t>(from + i) + 100000);
      }
    }
    ASSERT_EQ(array.Size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(array[i].Key, expected[i]) << "entry " << i;
    array.Clear();
    array.PushBack(TBig{42, {}});
    EXPECT_EQ(array.Size(), 1u);
    EXPECT_EQ(array[0].Key, 42u);
  }
}

}  // namespace
}  // namespace viewer
