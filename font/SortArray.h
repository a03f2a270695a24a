// A pointer array that sorts itself with a comparison function. It never owns
// the objects it points to.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <typename T>
class CSortArray {
 public:
  using Compare = int (*)(const T* a, const T* b);

  void Add(T* item) { m_items.push_back(item); }
  void RemoveAll() { m_items.clear(); }
  std::size_t GetSize() const { return m_items.size(); }
  bool IsEmpty() const { return m_items.empty(); }
  T* operator[](std::size_t i) const { return m_items[i]; }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

  // Quicksort with the first element of each range as pivot. The smaller side
  // is sorted by recursion and the larger one by the loop, so a hostile
  // directory of tens of thousands of entries cannot exhaust the stack.
  void Sort(Compare compare) {
    if (m_items.size() > 1) QuickSort(compare, 0, m_items.size() - 1);
  }

 private:
  void QuickSort(Compare compare, std::size_t lo, std::size_t hi) {
    while (lo < hi) {
      T* pivot = m_items[lo];
      std::size_t i = lo + 1;
      std::size_t j = hi;
      for (;;) {
        while (i <= hi && compare(m_items[i], pivot) <= 0) ++i;
        while (j > lo && compare(m_items[j], pivot) >= 0) --j;
        if (i >= j) break;
        std::swap(m_items[i], m_items[j]);
        ++i;
        --j;
      }
      std::swap(m_items[lo], m_items[j]);
      if (j - lo < hi - j) {
        if (j > lo) QuickSort(compare, lo, j - 1);
        lo = j + 1;
      } else {
        if (j + 1 < hi) QuickSort(compare, j + 1, hi);
        if (j == 0) break;
        hi = j - 1;
      }
    }
  }

  std::vector<T*> m_items;
};
