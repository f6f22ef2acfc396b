// Storage for millions of small records or text that grows without ever moving
// what it holds: fixed-size chunks instead of one buffer that is copied on
// every growth. Growing a document of 5 million elements this way touches each
// byte once instead of about three times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace viewer {

// An append-only array of T in chunks of 2^ChunkBits entries.
template <typename T, unsigned ChunkBits = 16>
class TChunkedArray {
 public:
  static constexpr std::size_t ChunkSize = std::size_t{1} << ChunkBits;

  std::size_t size() const { return FSize; }
  T& operator[](std::size_t index) { return FChunks[index >> ChunkBits][index & (ChunkSize - 1)]; }
  const T& operator[](std::size_t index) const { return FChunks[index >> ChunkBits][index & (ChunkSize - 1)]; }
  void push_back(const T& value) {
    if ((FSize & (ChunkSize - 1)) == 0) FChunks.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));
    FChunks.back()[FSize & (ChunkSize - 1)] = value;
    ++FSize;
  }
  void clear() {
    std::vector<std::unique_ptr<T[]>>().swap(FChunks);
    FSize = 0;
  }
  std::size_t MemoryUsed() const { return FChunks.size() * ChunkSize * sizeof(T) + FChunks.capacity() * sizeof(void*); }

 private:
  std::vector<std::unique_ptr<T[]>> FChunks;
  std::size_t FSize = 0;
};

// Append-only UTF-16 text in chunks. Each Append keeps its pieces together in one
// chunk, so they can be read back as views. A 32-bit handle names the chunk (12
// bits) and the place in it (20 bits); text longer than a chunk gets one of its own.
class TTextPool {
 public:
  static constexpr unsigned OffsetBits = 20;
  static constexpr std::size_t ChunkChars = std::size_t{1} << OffsetBits;
  static constexpr std::size_t MaxChunks = std::size_t{1} << (32 - OffsetBits);

  // Appends the pieces one after the other and returns where they start. Throws
  // std::length_error when the pool cannot address more text.
  std::uint32_t Append(std::initializer_list<std::u16string_view> pieces) {
    std::size_t need = 0;
    for (std::u16string_view piece : pieces) need += piece.size();
    if (need == 0) return 0;
    if (FChunks.empty() || FChunks.back().Capacity - FChunks.back().Used < need) {
      if (FChunks.size() == MaxChunks) throw std::length_error("The document's texts are too large");
      std::size_t capacity = need > ChunkChars ? need : ChunkChars;
      FChunks.push_back({std::make_unique_for_overwrite<char16_t[]>(capacity), capacity, 0});
    }
    TChunk& chunk = FChunks.back();
    auto handle = static_cast<std::uint32_t>(((FChunks.size() - 1) << OffsetBits) | chunk.Used);
    for (std::u16string_view piece : pieces) {
      std::copy(piece.begin(), piece.end(), chunk.Text.get() + chunk.Used);
      chunk.Used += piece.size();
    }
    return handle;
  }
  // The text of length characters from handle + skip on.
  std::u16string_view View(std::uint32_t handle, std::size_t skip, std::size_t length) const {
    if (length == 0) return {};
    const TChunk& chunk = FChunks[handle >> OffsetBits];
    return std::u16string_view(chunk.Text.get() + (handle & (ChunkChars - 1)) + skip, length);
  }
  void clear() { std::vector<TChunk>().swap(FChunks); }
  std::size_t MemoryUsed() const {
    std::size_t bytes = FChunks.capacity() * sizeof(TChunk);
    for (const TChunk& chunk : FChunks) bytes += chunk.Capacity * sizeof(char16_t);
    return bytes;
  }

 private:
  struct TChunk {
    std::unique_ptr<char16_t[]> Text;
    std::size_t Capacity;
    std::size_t Used;
  };
  std::vector<TChunk> FChunks;
};

}  // namespace viewer
