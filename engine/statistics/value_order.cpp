#include "engine/statistics/value_order.h"

#include <array>
#include <bit>
#include <cstddef>

namespace kelvara {
namespace {

constexpr uint64_t kSignBit = uint64_t{1} << 63;
constexpr int kDigitBits = 11;
constexpr int kDigitCount = (64 + kDigitBits - 1) / kDigitBits;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

std::size_t Digit(uint64_t key, int digit) {
  return static_cast<std::size_t>((key >> (digit * kDigitBits)) & (kBuckets - 1));
}

// The key is worked out from the value on every pass rather than stored, so
// that the member keeps the sign of a zero value and stays 24 bytes.
std::size_t Digit(const ValuedMember& member, int digit) {
  return Digit(OrderKey(member.value), digit);
}

}  // namespace

uint64_t OrderKey(double value) {
  // Adding 0.0 turns -0 into +0: they are equal values and must tie.
  const uint64_t bits = std::bit_cast<uint64_t>(value + 0.0);
  return (bits & kSignBit) ? ~bits : bits | kSignBit;
}

void SortByValue(std::vector<ValuedMember>& members, std::vector<ValuedMember>& scratch) {
  const std::size_t size = members.size();
  std::vector<std::array<uint32_t, kBuckets>> counts(kDigitCount);
  for (auto& count : counts) count.fill(0);
  for (const ValuedMember& m : members) {
    const uint64_t key = OrderKey(m.value);
    for (int d = 0; d < kDigitCount; ++d) ++counts[static_cast<std::size_t>(d)][Digit(key, d)];
  }
  scratch.resize(size);
  for (int d = 0; d < kDigitCount; ++d) {
    auto& count = counts[static_cast<std::size_t>(d)];
    // A digit that every key shares leaves the order as it is.
    if (size == 0 || count[Digit(members[0], d)] == size) continue;
    uint32_t start = 0;
    for (uint32_t& c : count) {
      const uint32_t n = c;
      c = start;
      start += n;
    }
    for (const ValuedMember& m : members) scratch[count[Digit(m, d)]++] = m;
    members.swap(scratch);
  }
}

}  // namespace kelvara
