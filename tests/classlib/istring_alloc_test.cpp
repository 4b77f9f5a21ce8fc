// Counts the process's allocations around IString operations: copies share, changes allocate
// at most once.
#include "istring.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocationCount{0};

void* countedAllocation(std::size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) {
    return p;
  }
  throw std::bad_alloc();
}
} // namespace

// The library's other forms (arrays, nothrow, sized delete) end in these two.
void* operator new(std::size_t size) { return countedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The first string of the process settles the buffer kind; do that before anything is counted.
const IString warmUp("settles the buffer kind");

template <class Operation> long allocationsOf(Operation operation) {
  const long before = allocationCount.load();
  operation();
  return allocationCount.load() - before;
}

} // namespace

TEST(IStringAllocations, CopiesAllocateNothingAndShareTheText) {
  const IString source("a text that is long enough to matter");
  IString copy, assigned("old value"), moved;
  EXPECT_EQ(allocationsOf([&] {
              IString empty;
              IString local(source);
              copy = local;
              assigned = source;
              moved = std::move(local);
              IString whole = source.subString(1);
            }),
            0);
  EXPECT_EQ(copy.c_str(), source.c_str());
  EXPECT_EQ(assigned.c_str(), source.c_str());
  EXPECT_EQ(moved.c_str(), source.c_str());
}

TEST(IStringAllocations, ConcatenationAllocatesOnceForTheResult) {
  const IString a("JavaHome"), b("\\bin\\java");
  IString result;
  EXPECT_EQ(allocationsOf([&] { result = a + b; }), 1);
  EXPECT_EQ(allocationsOf([&] { result = a + "\\bin"; }), 1);
  EXPECT_EQ(allocationsOf([&] { result = "C:\\" + b; }), 1);
  EXPECT_EQ(allocationsOf([&] { result += b; }), 1);
  EXPECT_EQ(result, "C:\\\\bin\\java\\bin\\java");
}

TEST(IStringAllocations, InPlaceChangesAllocateOnlyToUnshare) {
  IString s("lower case text");
  EXPECT_EQ(allocationsOf([&] { s.upperCase(); }), 0);
  EXPECT_EQ(allocationsOf([&] { s.remove(6, 5); }), 0);
  EXPECT_EQ(s, "LOWER TEXT");
  const IString keep(s);
  EXPECT_EQ(allocationsOf([&] { s.remove(1, 6); }), 1); // straight into a new buffer
  IString other(keep);
  EXPECT_EQ(allocationsOf([&] { other.upperCase(); }), 1);
  EXPECT_EQ(keep, "LOWER TEXT");
}

TEST(IStringAllocations, FieldsAllocateOncePerFieldPlusTheList) {
  const IString arguments("one,two,,four,five");
  std::vector<IString> fields;
  EXPECT_EQ(allocationsOf([&] { fields = arguments.fields(","); }), 1 + 4); // "" needs none
}
