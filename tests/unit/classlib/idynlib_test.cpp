// Tests of the module registry: shared records, use counts, failed loads, lookups and the lock.
#include "idynlib.hpp"

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ienviron.hpp"
#include "iexcept.hpp"
#include "ireslock.hpp"
#include "quietlogger.hpp"

namespace {

// A library that every process of the platform has loaded, and another name for it.
#ifdef _WIN32
const char* const kLibrary = "kernel32.dll";
const char* const kOtherName = "kernel32";
const char* const kExport = "GetCurrentProcessId";
#else
const char* const kLibrary = "libm.so.6";
const char* const kOtherName = "libm.so.6."; // a trailing '.': the name as written
const char* const kExport = "cos";
#endif

// Keeps the exception records of the expected failures out of the test output.
// Runs call, which must raise IAccessError, and returns it.
template <typename Call>
IAccessError expectAccessError(Call call) {
  QuietLogger quiet;
  try {
    call();
  } catch (const IAccessError& e) {
    return e;
  }
  ADD_FAILURE() << "no IAccessError raised";
  return IAccessError("none");
}

} // namespace

TEST(DynamicLinkLibrary, ObjectsOfOneNameShareOneCountedRecord) {
  unsigned long before = IDynamicLinkLibrary::registeredModules();
  {
    IDynamicLinkLibrary first(kLibrary);
    ASSERT_TRUE(first.isLoaded());
    EXPECT_EQ(1u, first.module()->useCount());
    EXPECT_EQ(before + 1, IDynamicLinkLibrary::registeredModules());
    {
      IDynamicLinkLibrary second(kLibrary);
      IDynamicLinkLibrary copy(first);
      EXPECT_EQ(first.module(), second.module());
      EXPECT_EQ(first.module(), copy.module());
      EXPECT_EQ(first.handle(), second.handle());
      EXPECT_EQ(3u, first.module()->useCount());
      EXPECT_EQ(before + 1, IDynamicLinkLibrary::registeredModules());
    }
    EXPECT_EQ(1u, first.module()->useCount());
    EXPECT_TRUE(first.isLoaded());
  }
  EXPECT_EQ(before, IDynamicLinkLibrary::registeredModules());
}

TEST(DynamicLinkLibrary, FailedLoadRaisesAndLeavesTheRecordForARetry) {
  const char* name = "quillet-no-such-module";
  unsigned long before = IDynamicLinkLibrary::registeredModules();
  IAccessError e = expectAccessError([name] { IDynamicLinkLibrary missing(name); });
  EXPECT_STREQ("LoadLibrary : quillet-no-such-module:No error text is available.", e.text());
  EXPECT_TRUE(e.isRecoverable());
  EXPECT_NE(0u, e.errorId()) << "the platform's reason is the error id";
  ASSERT_EQ(1u, e.locationCount());
  EXPECT_STREQ("ireslib1", e.locationAtIndex(0)->fileName());
  EXPECT_STREQ("IDLLModule::addRef()", e.locationAtIndex(0)->functionName());
  EXPECT_EQ(660u, e.locationAtIndex(0)->lineNumber());
  EXPECT_EQ(before + 1, IDynamicLinkLibrary::registeredModules());

  // The next object finds the record left behind and tries again.
  expectAccessError([name] { IDynamicLinkLibrary again(name); });
  EXPECT_EQ(before + 1, IDynamicLinkLibrary::registeredModules());
}

TEST(DynamicLinkLibrary, NullNameMakesAnObjectWithoutModule) {
  unsigned long before = IDynamicLinkLibrary::registeredModules();
  IDynamicLinkLibrary none(nullptr);
  none.load().unload().unload();
  EXPECT_FALSE(none.isLoaded());
  EXPECT_EQ(nullptr, none.handle());
  EXPECT_EQ(nullptr, none.module());
  EXPECT_EQ(before, IDynamicLinkLibrary::registeredModules());
  // Without a module the platform names the program itself.
  EXPECT_EQ(IEnvironment::programPath(), none.fileName());
  IDynamicLinkLibrary copy(none);
  EXPECT_EQ(nullptr, copy.module());
}

TEST(DynamicLinkLibrary, UnbalancedUnloadNeitherWrapsNorLeavesADanglingRecord) {
  unsigned long before = IDynamicLinkLibrary::registeredModules();
  {
    IDynamicLinkLibrary keeper(kLibrary);
    {
      IDynamicLinkLibrary other(kLibrary);
      keeper.unload().unload().unload(); // one too many: the count must stay at 0
      EXPECT_EQ(0u, keeper.module()->useCount());
      EXPECT_FALSE(keeper.isLoaded());
      EXPECT_FALSE(other.isLoaded());
    }
    // The record outlives the other object: keeper still points to it.
    EXPECT_EQ(before + 1, IDynamicLinkLibrary::registeredModules());
    EXPECT_STREQ(kLibrary, keeper.module()->name());
    keeper.load();
    EXPECT_TRUE(keeper.isLoaded());
    EXPECT_EQ(1u, keeper.module()->useCount());
  }
  EXPECT_EQ(before, IDynamicLinkLibrary::registeredModules());
}

TEST(DynamicLinkLibrary, ProcAddressFindsExportsAndRaisesForOthers) {
  IDynamicLinkLibrary library(kLibrary);
  EXPECT_NE(nullptr, library.procAddress(kExport));

  IAccessError byName = expectAccessError([&] { library.procAddress("quillet_no_entry"); });
  EXPECT_STREQ("GetProcAddress: quillet_no_entry:No error text is available.", byName.text());
  EXPECT_EQ(495u, byName.locationAtIndex(0)->lineNumber());
  EXPECT_STREQ("IDynamicLinkLibrary::procAddress(const char*) const",
               byName.locationAtIndex(0)->functionName());
  expectAccessError([&] { library.procAddress(static_cast<const char*>(nullptr)); });

  // Only the low 16 bits are the ordinal; the message names the ordinal looked up.
  IAccessError byOrdinal = expectAccessError([&] { library.procAddress(0x1FFFFul); });
  EXPECT_STREQ("GetProcAddress #: 65535:No error text is available.", byOrdinal.text());
  EXPECT_EQ(535u, byOrdinal.locationAtIndex(0)->lineNumber());
  EXPECT_STREQ("IDynamicLinkLibrary::procAddress(unsigned long) const",
               byOrdinal.locationAtIndex(0)->functionName());

#ifndef _WIN32
  // ELF has no ordinals: every ordinal fails.
  IAccessError five = expectAccessError([&] { library.procAddress(0x10005ul); });
  EXPECT_STREQ("GetProcAddress #: 5:No error text is available.", five.text());
  // libm depends on libc, but malloc is not libm's own export.
  expectAccessError([&] { library.procAddress("malloc"); });
#endif
}

TEST(DynamicLinkLibrary, RegistryStaysConsistentUnderConcurrentUse) {
  unsigned long before = IDynamicLinkLibrary::registeredModules();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) {
        IDynamicLinkLibrary a(kLibrary);
        IDynamicLinkLibrary b(i % 2 ? kLibrary : kOtherName);
        IDynamicLinkLibrary c(a);
      }
    });
  }
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(before, IDynamicLinkLibrary::registeredModules());
}

TEST(ResourceLock, IsRecursiveAndExcludesOtherThreads) {
  IPrivateResource resource;
  int shared = 0;
  std::thread other;
  {
    IResourceLock outer(resource);
    {
      IResourceLock inner(resource); // the holder may take it again
      other = std::thread([&] {
        IResourceLock waits(resource);
        shared = shared * 10 + 2;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // One hold is left: the other thread must still wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    shared = 1;
  }
  other.join();
  EXPECT_EQ(12, shared);
}
