#include "fuzz/group_nesting.h"

namespace kelvara::fuzz {
namespace {

// The members of the `part` groups (disjoint from one another) all belong to
// one of the `whole` groups (disjoint from one another); `equal` when the two
// unions are the same set of records.
struct Nesting {
  std::vector<int> whole;
  std::vector<int> part;
  bool equal;
};

std::vector<int> Range(int first, int last) {
  std::vector<int> groups;
  for (int g = first; g <= last; ++g) groups.push_back(g);
  return groups;
}

// Table 1: per sex block (male 0, female 13, both 26) the total, nine age
// groups and three groups listed again.
std::vector<Nesting> Table1Nestings() {
  std::vector<Nesting> rules;
  for (int s : {0, 13, 26}) {
    rules.push_back({{s}, Range(s + 1, s + 9), false});    // total has no age bound
    rules.push_back({{s + 10}, Range(s + 4, s + 9), true}); // 20 and over
    rules.push_back({{s + 8, s + 9}, {s + 11}, false});     // 65 to 74
    rules.push_back({{s + 9}, {s + 12}, false});            // 75 and over
  }
  for (int k = 0; k <= 12; ++k) rules.push_back({{26 + k}, {k, 13 + k}, false});
  return rules;
}

// Table 2: per sex block (0, 12, 24) a total over ages 1 to 198 that its ten
// age groups cover exactly, and 20 to 49 listed again.
std::vector<Nesting> Table2Nestings() {
  std::vector<Nesting> rules;
  for (int s : {0, 12, 24}) {
    rules.push_back({{s}, Range(s + 1, s + 10), true});
    rules.push_back({{s + 11}, {s + 8}, false});      // 30-49 within 20-49
    rules.push_back({{s + 7, s + 8}, {s + 11}, false}); // 20-49 within 18-49
  }
  for (int k = 0; k <= 11; ++k) rules.push_back({{24 + k}, {k, 12 + k}, false});
  return rules;
}

std::vector<Nesting> Part5Nestings() {
  return {
      {{11}, Range(0, 10), true},    // men, all ages
      {{26}, Range(12, 22), true},   // women neither pregnant nor lactating
      {{25}, {23, 24}, true},        // pregnant plus lactating
      {{27}, {26}, false},           // all ages plus subtotal
      {{28}, {11, 27}, false},       // everyone
      {{28}, {11, 25}, false},
  };
}

// Category numbers: totals take non-whole numbers too, so they only bound.
std::vector<Nesting> CategoryNestings() {
  std::vector<Nesting> rules = {
      {{10}, Range(0, 9), false}, {{21}, Range(11, 20), false}, {{32}, Range(22, 31), false}};
  for (int k = 0; k <= 10; ++k) rules.push_back({{22 + k}, {k, 11 + k}, false});
  return rules;
}

std::vector<Nesting> NestingsOf(int schemeItemIndex) {
  switch (schemeItemIndex) {
    case 0: return Table1Nestings();
    case 1: return Table2Nestings();
    case 2: return Part5Nestings();
    default: return CategoryNestings();
  }
}

std::string Describe(const std::vector<int>& groups) {
  std::string text;
  for (int g : groups) {
    if (!text.empty()) text += '+';
    text += std::to_string(g);
  }
  return text;
}

}  // namespace

size_t SchemeGroupCount(int schemeItemIndex) {
  switch (schemeItemIndex) {
    case 0: return 39;
    case 1: return 36;
    case 2: return 29;
    default: return 33;
  }
}

int EveryoneGroup(int schemeItemIndex) {
  switch (schemeItemIndex) {
    case 0: return 26;
    case 2: return 28;
    default: return -1;
  }
}

std::string CheckGroupNesting(int schemeItemIndex, const std::vector<GroupCount>& counts) {
  if (counts.size() != SchemeGroupCount(schemeItemIndex)) return "wrong number of group lines";
  for (const Nesting& rule : NestingsOf(schemeItemIndex)) {
    GroupCount whole, part;
    for (int g : rule.whole) {
      whole.n += counts[static_cast<size_t>(g)].n;
      whole.nMissing += counts[static_cast<size_t>(g)].nMissing;
    }
    for (int g : rule.part) {
      part.n += counts[static_cast<size_t>(g)].n;
      part.nMissing += counts[static_cast<size_t>(g)].nMissing;
    }
    const bool holds = rule.equal ? whole.n == part.n && whole.nMissing == part.nMissing
                                  : whole.n >= part.n && whole.nMissing >= part.nMissing;
    if (!holds) {
      return "groups " + Describe(rule.whole) + " (n " + std::to_string(whole.n) + ", missing " +
             std::to_string(whole.nMissing) + ") " + (rule.equal ? "differ from" : "hold fewer than") +
             " groups " + Describe(rule.part) + " (n " + std::to_string(part.n) + ", missing " +
             std::to_string(part.nMissing) + ")";
    }
  }
  return {};
}

}  // namespace kelvara::fuzz
