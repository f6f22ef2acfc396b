// Storage for millions of small records that grows without ever moving what
// it holds (the document's elements, VirtualTree's rows and blocks):
// fixed-size chunks instead of one buffer that is copied on every growth.
// Growing a document of 5 million elements this way touches each byte once
// instead of about three times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace viewer {

// Large buffers are filled from their start right after they are allocated.
// Asking the system for their pages in one call costs far less than a fault
// per 4 KiB (most of all in a virtual machine), and huge pages cut the work
// again. Best effort: other systems, older kernels and ranges under a
// megabyte take their pages as they are touched.
constexpr std::size_t LargeBuffer = std::size_t{1} << 20;

// Gives advice for the part of a range made of whole units (a power of two).
inline void AdviseWholeUnits(void* memory, std::size_t bytes, std::uintptr_t unit, int advice) {
#ifdef __linux__
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t first = (start + unit - 1) & ~(unit - 1);
  const std::uintptr_t last = (start + bytes) & ~(unit - 1);
  if (bytes >= LargeBuffer && last > first) madvise(reinterpret_cast<void*>(first), last - first, advice);
#else
  (void)memory;
  (void)bytes;
  (void)unit;
  (void)advice;
#endif
}

// Offers huge pages for the 2 MiB-aligned part of a range; takes no memory.
inline void AdviseHugePages([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  AdviseWholeUnits(memory, bytes, std::uintptr_t{2} << 20, MADV_HUGEPAGE);
#endif
}

// Takes the pages of a range that is about to be written, in one call.
inline void PopulateForWriting([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  AdviseWholeUnits(memory, bytes, 4096, MADV_POPULATE_WRITE);
#endif
}

// A vector of count zeros, its pages taken as above.
template <typename TVector>
void AssignLarge(TVector& vector, std::size_t count) {
  TVector fresh;
  fresh.reserve(count);
  const std::size_t bytes = count * sizeof(typename TVector::value_type);
  AdviseHugePages(fresh.data(), bytes);
  PopulateForWriting(fresh.data(), bytes);
  fresh.resize(count);
  vector.swap(fresh);
}

// An append-only array of T in chunks of 2^ChunkBits entries.
template <typename T, unsigned ChunkBits = 16>
class TChunkedArray {
 public:
  static constexpr std::size_t ChunkSize = std::size_t{1} << ChunkBits;

  std::size_t Size() const { return FSize; }
  T& operator[](std::size_t index) { return FChunks[index >> ChunkBits][index & (ChunkSize - 1)]; }
  const T& operator[](std::size_t index) const { return FChunks[index >> ChunkBits][index & (ChunkSize - 1)]; }
  void PushBack(const T& value) {
    if (FSize >= FTaken) TakeMore();
    FChunks.back()[FSize & (ChunkSize - 1)] = value;
    ++FSize;
  }
  // count copies of value at the end, a chunk at a time.
  void Append(std::size_t count, const T& value) {
    while (count > 0) {
      std::size_t place = FSize & (ChunkSize - 1);
      if (place == 0) FChunks.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));
      std::size_t run = std::min(count, ChunkSize - place);
      std::fill_n(&FChunks.back()[place], run, value);
      FSize += run;
      count -= run;
    }
  }
  // count entries at the end, left unwritten until the caller writes them
  // (their memory is not even touched).
  void Grow(std::size_t count) {
    std::size_t place = FSize & (ChunkSize - 1);
    std::size_t room = place == 0 ? 0 : ChunkSize - place;
    for (std::size_t added = room; added < count; added += ChunkSize)
      FChunks.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));
    FSize += count;
  }
  void Clear() {
    std::vector<std::unique_ptr<T[]>>().swap(FChunks);
    FSize = 0;
    FTaken = 0;
  }
  std::size_t MemoryUsed() const { return FChunks.size() * ChunkSize * sizeof(T) + FChunks.capacity() * sizeof(void*); }

 private:
  // Entries whose pages PushBack takes at a time: 2 MiB of them.
  static constexpr std::size_t TakeStep = std::max<std::size_t>(1, (std::size_t{2} << 20) / sizeof(T));

  // Before PushBack writes entry FSize: a new chunk when the last is full and,
  // in a large chunk after the first, the pages of the next TakeStep entries.
  // The first chunk fills as it is touched, so a small array stays small, and
  // the last chunk takes no more pages than it fills (give or take 2 MiB).
  void TakeMore() {
    const std::size_t place = FSize & (ChunkSize - 1);
    if (place == 0) FChunks.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));
    if (FChunks.size() == 1 || ChunkSize * sizeof(T) < LargeBuffer) {
      FTaken = FSize - place + ChunkSize;
      return;
    }
    if (place == 0) AdviseHugePages(FChunks.back().get(), ChunkSize * sizeof(T));
    const std::size_t step = std::min(TakeStep, ChunkSize - place);
    PopulateForWriting(&FChunks.back()[place], step * sizeof(T));
    FTaken = FSize + step;
  }

  std::vector<std::unique_ptr<T[]>> FChunks;
  std::size_t FSize = 0;
  std::size_t FTaken = 0;  // PushBack needs TakeMore from this size on (Append and Grow pass it)
};

}  // namespace viewer
