// Tests of IException, the logger records, the raise operations, throwIt and the message catalog.
#include "iexcept.hpp"
#include "iexcept_platform.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

// Records every line and record end handed to a logger.
class RecordingLogger : public IExceptionLogger {
public:
  std::vector<std::string> lines;
  int records = 0;
  void writeLine(const char* line) override { lines.push_back(line); }
  void endRecord() override {
    ++records;
    lines.push_back("<end>");
  }
};

// Puts a RecordingLogger in place for one test.
class WithLogger : public ::testing::Test {
protected:
  void SetUp() override { previous_ = IException::setLogger(&log); }
  void TearDown() override { IException::setLogger(previous_); }
  RecordingLogger log;

private:
  IExceptionLogger* previous_ = nullptr;
};

// What a raise threw: its class name and a copy of its fields.
struct Caught {
  std::string name;
  IException e{nullptr};
};

template <class F> Caught catchRaise(F raise) {
  try {
    raise();
  } catch (const IException& e) {
    return Caught{e.name(), e};
  }
  ADD_FAILURE() << "nothing was thrown";
  return Caught{};
}

template <class Thrown, class Handler> bool caughtAs() {
  try {
    throw Thrown("t");
  } catch (const Handler&) {
    return true;
  } catch (...) {
    return false;
  }
}

void expectLocation(const IException& e, unsigned long index, const char* file,
                    const char* function, unsigned long line) {
  const IThrowLocation* loc = e.locationAtIndex(index);
  ASSERT_NE(loc, nullptr) << "location " << index;
  EXPECT_STREQ(loc->fileName(), file);
  if (function)
    EXPECT_STREQ(loc->functionName(), function);
  else
    EXPECT_EQ(loc->functionName(), nullptr);
  EXPECT_EQ(loc->lineNumber(), line);
}

const char* const kCatalog51 = "The string would be longer than the largest length a string can have.";
const char* const kCatalog1 = "A condition required by the class library was not met: ";

} // namespace

// --- the exception's own fields ------------------------------------------------------------

TEST(IExceptionTest, TextStackPushesAppendsAndIndexesFromTheNewest) {
  IException e("T1", 0, IException::unrecoverable);
  EXPECT_EQ(e.textCount(), 1u);
  EXPECT_STREQ(e.text(0), "T1");
  EXPECT_EQ(e.text(1), nullptr);
  EXPECT_EQ(e.errorId(), 0u);
  EXPECT_FALSE(e.isRecoverable());
  EXPECT_STREQ(e.errorCodeGroup(), "Obel Class Library");
  EXPECT_EQ(e.locationCount(), 0u);
  EXPECT_EQ(e.locationAtIndex(0), nullptr);

  e.setText("T2");
  EXPECT_EQ(e.textCount(), 2u);
  EXPECT_STREQ(e.text(0), "T2");
  EXPECT_STREQ(e.text(1), "T1");
  e.appendText("T3");
  EXPECT_EQ(e.textCount(), 2u);
  EXPECT_STREQ(e.text(0), "T2T3");
  EXPECT_STREQ(e.text(1), "T1");
  EXPECT_EQ(e.text(2), nullptr);

  e.setText(nullptr).appendText(nullptr);
  EXPECT_EQ(e.textCount(), 2u);
  EXPECT_STREQ(e.text(0), "T2T3");
}

TEST(IExceptionTest, NullTextLeavesTheStackEmptyAndAppendThenPushes) {
  IException e(nullptr, 7, IException::recoverable);
  EXPECT_EQ(e.textCount(), 0u);
  EXPECT_EQ(e.text(0), nullptr);
  EXPECT_TRUE(e.isRecoverable());
  e.appendText("first");
  EXPECT_EQ(e.textCount(), 1u);
  EXPECT_STREQ(e.text(0), "first");
}

TEST(IExceptionTest, TextsAreCopiesOfTheCallersText) {
  char buffer[] = "mutable";
  IException e(buffer);
  buffer[0] = 'X';
  EXPECT_STREQ(e.text(0), "mutable");
}

TEST(IExceptionTest, CopyAndAssignmentDeepCopyEveryText) {
  IException original("oldest", 12, IException::recoverable);
  original.setText("newest");
  original.setErrorCodeGroup(IEXC_GROUP_SYSTEM);
  original.addLocation(IThrowLocation("a.cpp", "f()", 3));

  IException copy(original);
  original.appendText("+more");
  original.setText("third");
  EXPECT_EQ(copy.textCount(), 2u);
  EXPECT_STREQ(copy.text(0), "newest");
  EXPECT_STREQ(copy.text(1), "oldest");
  EXPECT_EQ(copy.errorId(), 12u);
  EXPECT_TRUE(copy.isRecoverable());
  EXPECT_STREQ(copy.errorCodeGroup(), "Operating System");
  EXPECT_EQ(copy.locationCount(), 1u);
  expectLocation(copy, 0, "a.cpp", "f()", 3);

  IException assigned("to be replaced");
  assigned = original;
  EXPECT_EQ(assigned.textCount(), 3u);
  EXPECT_STREQ(assigned.text(0), "third");
  EXPECT_STREQ(assigned.text(1), "newest+more");
  EXPECT_STREQ(assigned.text(2), "oldest");
  const IException& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.textCount(), 3u);
  EXPECT_STREQ(assigned.text(2), "oldest");
}

TEST(IExceptionTest, SixthLocationReplacesTheFifth) {
  IException e("t");
  for (unsigned long line = 1; line <= 6; ++line)
    e.addLocation(IThrowLocation("f.cpp", "fn", line));
  EXPECT_EQ(e.locationCount(), 5u);
  for (unsigned long i = 0; i < 4; ++i)
    expectLocation(e, i, "f.cpp", "fn", i + 1);
  expectLocation(e, 4, "f.cpp", "fn", 6);
  EXPECT_EQ(e.locationAtIndex(5), nullptr);
}

TEST(IExceptionTest, ClassTreeNamesAndHandlers) {
  const std::vector<std::pair<const IException*, const char*>> named = {
      {new IException("t"), "IException"},
      {new IAccessError("t"), "IAccessError"},
      {new IAssertionFailure("t"), "IAssertionFailure"},
      {new IDeviceError("t"), "IDeviceError"},
      {new IInvalidParameter("t"), "IInvalidParameter"},
      {new IInvalidRequest("t"), "IInvalidRequest"},
      {new IResourceExhausted("t"), "IResourceExhausted"},
      {new IOutOfMemory("t"), "IOutOfMemory"},
      {new IOutOfCollectionMemory("t"), "IOutOfCollectionMemory"},
      {new IOutOfSystemResource("t"), "IOutOfSystemResource"},
      {new IOutOfWindowResource("t"), "IOutOfWindowResource"},
      {new IPreconditionViolation("t"), "IPreconditionViolation"},
      {new ICyclicAttachException("t"), "ICyclicAttachException"},
  };
  for (const auto& [e, name] : named) {
    EXPECT_STREQ(e->name(), name);
    delete e; // through the base: the subclasses' destructors are virtual
  }

  EXPECT_TRUE((caughtAs<IOutOfCollectionMemory, IOutOfMemory>()));
  EXPECT_TRUE((caughtAs<IOutOfCollectionMemory, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<IOutOfSystemResource, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<IOutOfWindowResource, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<IFullException, IPreconditionViolation>()));
  EXPECT_TRUE((caughtAs<IAssertionFailure, IException>()));
  EXPECT_FALSE((caughtAs<IOutOfMemory, IOutOfCollectionMemory>()));
  EXPECT_FALSE((caughtAs<IAccessError, IResourceExhausted>()));
  EXPECT_FALSE((caughtAs<IPreconditionViolation, IInvalidRequest>()));
}

TEST(IExceptionDeathTest, TerminateRunsTheTerminationHandlerThenAborts) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(
      {
        std::set_terminate([] { std::fputs("termination handler ran\n", stderr); });
        IException("t").terminate();
      },
      "termination handler ran");
}

// --- the logger ----------------------------------------------------------------------------

TEST_F(WithLogger, RecordWithoutLocationOrIdStartsWithALineFeed) {
  IException("T1").writeToLog();
  const std::vector<std::string> expected = {
      "\nIException exception thrown.\n   Location information is unavailable.",
      "   Error Id is unavailable.",
      "   Error Code group is Obel Class Library",
      "   Exception text is:",
      "      T1",
      "<end>",
  };
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(log.records, 1);
}

TEST_F(WithLogger, RecordUsesTheNewestLocationAndListsTextsOldestFirst) {
  IAccessError e("oldest", 4711);
  e.setText("middle").setText("newest");
  e.addLocation(IThrowLocation("first.cpp", "first()", 1));
  e.addLocation(IThrowLocation("idynlib", nullptr, 212));
  e.setErrorCodeGroup(nullptr);
  e.writeToLog();
  const std::vector<std::string> expected = {
      "IAccessError exception thrown.\n   function: Unknown\n   file: idynlib\n   line: 212",
      "   Error Id is 4711",
      "    Error Code group is unavailable.",
      "   Exception text is:",
      "      oldest",
      "      middle",
      "      newest",
      "<end>",
  };
  EXPECT_EQ(log.lines, expected);
}

TEST_F(WithLogger, RecordWithoutTextsAndWithLongFieldsKeepsThemWhole) {
  const std::string longFunction(400, 'f');
  const std::string longText(5000, 't');
  IException empty(nullptr, 3);
  empty.addLocation(IThrowLocation("x.cpp", longFunction.c_str(), 9));
  empty.writeToLog();
  ASSERT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(log.lines[0], "IException exception thrown.\n   function: " + longFunction +
                              "\n   file: x.cpp\n   line: 9");
  EXPECT_EQ(log.lines[3], "   Exception text is unavailable.");

  log.lines.clear();
  IException big(longText.c_str());
  big.writeToLog();
  ASSERT_EQ(log.lines.size(), 6u);
  EXPECT_EQ(log.lines[4], "      " + longText);
}

TEST(IExceptionLoggerTest, DefaultLoggerPrintsEachLineToStandardError) {
  IExceptionLogger* previous = IException::setLogger(nullptr);
  IException e("first text", 51, IException::recoverable);
  e.setText("second text");
  e.addLocation(IThrowLocation("istring", "IString::operator+(const IString&) const", 1385));
  ::testing::internal::CaptureStderr();
  e.writeToLog();
  IException bare(nullptr);
  bare.setErrorCodeGroup(nullptr);
  bare.writeToLog();
  std::string printed = ::testing::internal::GetCapturedStderr();
  IException::setLogger(previous);

  EXPECT_EQ(printed, "IException exception thrown.\n"
                     "   function: IString::operator+(const IString&) const\n"
                     "   file: istring\n"
                     "   line: 1385\n"
                     "   Error Id is 51\n"
                     "   Error Code group is Obel Class Library\n"
                     "   Exception text is:\n"
                     "      first text\n"
                     "      second text\n"
                     "\n"
                     "IException exception thrown.\n"
                     "   Location information is unavailable.\n"
                     "   Error Id is unavailable.\n"
                     "    Error Code group is unavailable.\n"
                     "   Exception text is unavailable.\n");
}

TEST(IExceptionLoggerTest, SetLoggerReturnsThePreviousAndNullRestoresTheDefault) {
  IExceptionLogger* standard = IException::logger();
  ASSERT_NE(standard, nullptr);
  RecordingLogger mine;
  EXPECT_EQ(IException::setLogger(&mine), standard);
  EXPECT_EQ(IException::logger(), &mine);
  EXPECT_EQ(IException::setLogger(nullptr), &mine);
  EXPECT_EQ(IException::logger(), standard);
}

// --- the raise operations ------------------------------------------------------------------

TEST_F(WithLogger, LibraryErrorTypeCodesChooseTheClass) {
  const char* const classes[] = {"IAccessError",         "IDeviceError",         "IInvalidParameter",
                                 "IInvalidRequest",      "IOutOfSystemResource", "IOutOfWindowResource",
                                 "IOutOfMemory",         "IResourceExhausted"};
  for (int type = 0; type < 8; ++type) {
    log.lines.clear();
    log.records = 0;
    Caught c = catchRaise([type] {
      raiseLibraryError(51, IThrowLocation("istring", "IString::f()", 10 + type),
                        static_cast<IException::ExceptionType>(type), IException::unrecoverable);
    });
    EXPECT_EQ(c.name, classes[type]);
    EXPECT_EQ(c.e.errorId(), 51u);
    EXPECT_FALSE(c.e.isRecoverable());
    EXPECT_STREQ(c.e.errorCodeGroup(), "Obel Class Library");
    EXPECT_EQ(c.e.textCount(), 1u);
    EXPECT_STREQ(c.e.text(0), kCatalog51);
    EXPECT_EQ(c.e.locationCount(), 1u);
    expectLocation(c.e, 0, "istring", "IString::f()", 10u + type);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines[0], std::string(classes[type]) +
                                " exception thrown.\n   function: IString::f()\n   file: istring\n"
                                "   line: " + std::to_string(10 + type));
    EXPECT_EQ(log.records, 1);
  }
}

TEST_F(WithLogger, LibraryErrorDefaultsInsertAndUnknownTypeCode) {
  Caught c = catchRaise([] { raiseLibraryError(39, IThrowLocation("imsgbox", nullptr, 674)); });
  EXPECT_EQ(c.name, "IInvalidRequest");
  EXPECT_TRUE(c.e.isRecoverable());
  EXPECT_EQ(c.e.errorId(), 39u);

  c = catchRaise([] {
    raiseLibraryError(1, IThrowLocation("f", nullptr, 1), IException::invalidParameter,
                      IException::recoverable, "count <= 9");
  });
  EXPECT_STREQ(c.e.text(0), (std::string(kCatalog1) + "count <= 9").c_str());

  c = catchRaise([] {
    raiseLibraryError(1, IThrowLocation("f", nullptr, 1), IException::invalidParameter,
                      IException::recoverable, nullptr);
  });
  EXPECT_STREQ(c.e.text(0), kCatalog1);

  // A type code outside the table still throws something every handler catches.
  c = catchRaise([] {
    raiseLibraryError(51, IThrowLocation("f", nullptr, 1), static_cast<IException::ExceptionType>(42));
  });
  EXPECT_EQ(c.name, "IException");
  EXPECT_EQ(c.e.errorId(), 51u);
}

TEST_F(WithLogger, WindowingErrorTakesTheLastPlatformError) {
  Caught c = catchRaise([] {
    ISetLastErrorCode(1400);
    raiseWindowingError("WinPostMsg", IThrowLocation("iwindow", "IWindowHandle::postEvent", 5),
                        IException::invalidParameter);
  });
  EXPECT_EQ(c.name, "IInvalidParameter");
  EXPECT_EQ(c.e.errorId(), 1400u);
  EXPECT_TRUE(c.e.isRecoverable());
  EXPECT_STREQ(c.e.errorCodeGroup(), "Presentation System");
  EXPECT_STREQ(c.e.text(0), "WinPostMsg:No error text is available.");
  EXPECT_EQ(c.e.locationCount(), 1u);
  EXPECT_EQ(log.records, 1);

  c = catchRaise([] {
    raiseWindowingError("GetProcAddress: DymInitializeJVM", IThrowLocation("idynlib", nullptr, 1));
  });
  EXPECT_EQ(c.name, "IAccessError");
  EXPECT_STREQ(c.e.text(0), "GetProcAddress: DymInitializeJVM:No error text is available.");
}

TEST_F(WithLogger, ParameterStateAndAssertionChecks) {
  Caught c = catchRaise([] { raiseParameterCheck("index > 0", IThrowLocation("istring", nullptr, 8)); });
  EXPECT_EQ(c.name, "IInvalidParameter");
  EXPECT_EQ(c.e.errorId(), 1u);
  EXPECT_TRUE(c.e.isRecoverable());
  EXPECT_STREQ(c.e.errorCodeGroup(), "Other Error Group");
  EXPECT_STREQ(c.e.text(0), (std::string(kCatalog1) + "index > 0").c_str());

  c = catchRaise([] { raiseStateCheck("isOpen()", IThrowLocation("idynlib", nullptr, 9)); });
  EXPECT_EQ(c.name, "IInvalidRequest");
  EXPECT_EQ(c.e.errorId(), 1u);
  EXPECT_TRUE(c.e.isRecoverable());
  EXPECT_STREQ(c.e.errorCodeGroup(), "Other Error Group");
  EXPECT_STREQ(c.e.text(0), (std::string(kCatalog1) + "isOpen()").c_str());

  c = catchRaise([] { raiseAssertion("buffer != 0", IThrowLocation("istring", "f", 3)); });
  EXPECT_EQ(c.name, "IAssertionFailure");
  EXPECT_EQ(c.e.errorId(), 0u);
  EXPECT_FALSE(c.e.isRecoverable());
  EXPECT_STREQ(c.e.errorCodeGroup(), "Other Error Group");
  EXPECT_STREQ(c.e.text(0), "buffer != 0");
  expectLocation(c.e, 0, "istring", "f", 3);
  EXPECT_EQ(log.records, 3);
}

TEST_F(WithLogger, SystemErrorCarriesThePlatformText) {
  // 2 is "file not found" on both platforms.
  Caught c = catchRaise([] {
    raiseSystemError(2, "CreateFileA", IThrowLocation("ienviron", nullptr, 4), IException::deviceError,
                     IException::unrecoverable);
  });
  EXPECT_EQ(c.name, "IDeviceError");
  EXPECT_EQ(c.e.errorId(), 2u);
  EXPECT_FALSE(c.e.isRecoverable());
  EXPECT_STREQ(c.e.errorCodeGroup(), "Operating System");
  EXPECT_EQ(log.records, 1);
  const std::string text = c.e.text(0);
  ASSERT_EQ(text.rfind("CreateFileA:", 0), 0u) << text;
  const std::string message = text.substr(std::strlen("CreateFileA:"));
#ifdef _WIN32
  EXPECT_NE(message.find("not found"), std::string::npos) << message; // Windows and Wine word it differently
#else
  EXPECT_EQ(message, "No such file or directory");
#endif
  EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos);

  c = catchRaise([] { raiseSystemError(2, nullptr, IThrowLocation("f", nullptr, 1)); });
  EXPECT_EQ(c.name, "IAccessError");
  EXPECT_EQ(c.e.text(0), message);

#ifdef _WIN32
  c = catchRaise([] { raiseSystemError(0x3fffff00, "Call", IThrowLocation("f", nullptr, 1)); });
  EXPECT_STREQ(c.e.text(0), "Call:No error text is available.");
#endif
}

// --- throwIt -------------------------------------------------------------------------------

TEST_F(WithLogger, ThrowItTakesTheCatalogTextAndLogsTwice) {
  Caught c = catchRaise([] { IEmptyException::throwIt(371, "icoll", 77); });
  EXPECT_EQ(c.name, "IEmptyException");
  EXPECT_STREQ(c.e.text(0), "The collection is empty.");
  EXPECT_EQ(c.e.textCount(), 1u);
  EXPECT_EQ(c.e.errorId(), 0u);
  EXPECT_FALSE(c.e.isRecoverable());
  ASSERT_EQ(c.e.locationCount(), 2u);
  expectLocation(c.e, 0, "icoll", nullptr, 77);
  EXPECT_STREQ(c.e.locationAtIndex(1)->fileName(), "iexc");
  EXPECT_STREQ(c.e.locationAtIndex(1)->functionName(),
               "IEmptyException::throwIt(unsigned long,const char*,unsigned long)");

  EXPECT_EQ(log.records, 2);
  ASSERT_GE(log.lines.size(), 7u);
  EXPECT_EQ(log.lines[0],
            "IEmptyException exception thrown.\n   function: Unknown\n   file: icoll\n   line: 77");
  EXPECT_EQ(log.lines[6].rfind("IEmptyException exception thrown.\n   function: "
                               "IEmptyException::throwIt(unsigned long,const char*,unsigned long)\n"
                               "   file: iexc\n",
                               0),
            0u)
      << log.lines[6];

  c = catchRaise([] { IPreconditionViolation::throwIt(999, "x", 1); });
  EXPECT_STREQ(c.e.text(0), "unknown exception text");
}

TEST(ThrowItTest, EachClassThrowsItself) {
  using ThrowIt = void (*)(unsigned long, const char*, unsigned long);
  const std::vector<std::pair<ThrowIt, const char*>> classes = {
      {&IPreconditionViolation::throwIt, "IPreconditionViolation"},
      {&IFullException::throwIt, "IFullException"},
      {&IEmptyException::throwIt, "IEmptyException"},
      {&INotEmptyException::throwIt, "INotEmptyException"},
      {&INotBoundedException::throwIt, "INotBoundedException"},
      {&ICursorInvalidException::throwIt, "ICursorInvalidException"},
      {&IPositionInvalidException::throwIt, "IPositionInvalidException"},
      {&INotContainsKeyException::throwIt, "INotContainsKeyException"},
      {&IKeyAlreadyExistsException::throwIt, "IKeyAlreadyExistsException"},
      {&IRootAlreadyExistsException::throwIt, "IRootAlreadyExistsException"},
      {&IChildAlreadyExistsException::throwIt, "IChildAlreadyExistsException"},
      {&IIdenticalCollectionException::throwIt, "IIdenticalCollectionException"},
      {&IInvalidReplacementException::throwIt, "IInvalidReplacementException"},
      {&ICyclicAttachException::throwIt, "ICyclicAttachException"},
  };
  RecordingLogger quiet;
  IExceptionLogger* previous = IException::setLogger(&quiet);
  for (const auto& [throwIt, name] : classes) {
    bool asPrecondition = false;
    try {
      throwIt(384, "f", 1);
    } catch (const IPreconditionViolation& e) {
      asPrecondition = true;
      EXPECT_STREQ(e.name(), name);
      EXPECT_STREQ(e.text(0), "Attaching the child would make the tree cyclic.");
      EXPECT_STREQ(e.locationAtIndex(1)->functionName(),
                   (std::string(name) + "::throwIt(unsigned long,const char*,unsigned long)").c_str());
    }
    EXPECT_TRUE(asPrecondition) << name;
  }
  IException::setLogger(previous);
}

// --- the message catalog -------------------------------------------------------------------

namespace {

std::string testMessage(unsigned long id, std::vector<const char*> inserts, bool* found = nullptr,
                        const char* catalog = "TESTMSGS.MSG") {
  char buffer[iexc::catalogTextSize];
  bool ok = iexc::catalogTextFrom(catalog, id, inserts.empty() ? nullptr : inserts.data(),
                                  static_cast<unsigned long>(inserts.size()), buffer, sizeof buffer);
  if (found)
    *found = ok;
  return buffer;
}

} // namespace

TEST(MessageCatalogTest, InsertsAreTakenInOrderUpToTheFirstNullAndAtMostNine) {
  bool found = false;
  EXPECT_EQ(testMessage(100, {"a", "b", "c", "d", "e", "f", "g", "h", "i"}, &found),
            "Nine inserts: a b c d e f g h i.");
  EXPECT_TRUE(found);
  EXPECT_EQ(testMessage(100, {"a", "b", nullptr, "d"}), "Nine inserts: a b       .");
  EXPECT_EQ(testMessage(101, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten", "eleven"}),
            "Insert ten is [], a percent sign is %.");
  EXPECT_EQ(testMessage(102, {}), "[] is in front.");
  // An insert is put in as it is, never read for inserts of its own.
  EXPECT_EQ(testMessage(102, {"%1 %2 %%"}), "[%1 %2 %%] is in front.");
}

TEST(MessageCatalogTest, MissingMessageOrCatalogGivesTheFallbackText) {
  bool found = true;
  EXPECT_EQ(testMessage(99, {"a"}, &found), "Unable to load text from message file.");
  EXPECT_FALSE(found);
  found = true;
  EXPECT_EQ(testMessage(100, {"a"}, &found, "NOSUCH.MSG"), "Unable to load text from message file.");
  EXPECT_FALSE(found);
}

TEST(MessageCatalogTest, NameIsMatchedWithoutLetterCase) {
  bool found = false;
  EXPECT_EQ(testMessage(102, {"x"}, &found, "testmsgs.msg"), "[x] is in front.");
  EXPECT_TRUE(found);
}

TEST(MessageCatalogTest, ResultIsCutToTheCallersBuffer) {
  char small[10];
  std::memset(small, 'z', sizeof small);
  const char* inserts[] = {"x"};
  EXPECT_TRUE(iexc::catalogTextFrom("TESTMSGS.MSG", 102, inserts, 1, small, sizeof small));
  EXPECT_STREQ(small, "[x] is in");
}

// Runs of this suite come from the test list, one process per value of "TAVRO MSGFILE";
// QUILLET_CATALOG_CASE says which.
TEST(CatalogFromEnvironment, VariableNamesTheCatalogForTheWholeProcess) {
  const char* which = std::getenv("QUILLET_CATALOG_CASE");
  if (!which)
    GTEST_SKIP() << "run by the classlib_catalog_* tests";
  const std::string mode = which;
  RecordingLogger quiet;
  IExceptionLogger* previous = IException::setLogger(&quiet);

  char text[iexc::catalogTextSize];
  const char* inserts[] = {"x", nullptr};
  bool found = IMessageCatalogText(100, inserts, 2, text, sizeof text);
  Caught library = catchRaise([] {
    raiseLibraryError(102, IThrowLocation("f", nullptr, 1), IException::accessError,
                      IException::recoverable, "y");
  });
  Caught precondition = catchRaise([] { IEmptyException::throwIt(371, "f", 1); });

  if (mode == "named") {
    EXPECT_TRUE(found);
    EXPECT_STREQ(text, "Nine inserts: x        .");
    EXPECT_STREQ(library.e.text(0), "[y] is in front.");
    // Changing the variable later does not move the process to another catalog.
#ifdef _WIN32
    _putenv_s("TAVRO MSGFILE", "NOSUCH.MSG");
#else
    setenv("TAVRO MSGFILE", "NOSUCH.MSG", 1);
#endif
    EXPECT_TRUE(IMessageCatalogText(100, inserts, 2, text, sizeof text));
  } else {
    // "missing" names a file that does not exist; "empty" names none (the program itself,
    // which carries no messages).
    EXPECT_FALSE(found) << mode;
    EXPECT_STREQ(text, "Unable to load text from message file.");
    EXPECT_STREQ(library.e.text(0), "Unable to load text from message file.");
    EXPECT_EQ(library.e.errorId(), 102u);
  }
  // throwIt reads the library's own catalog whatever the variable says.
  EXPECT_STREQ(precondition.e.text(0), "The collection is empty.");
  IException::setLogger(previous);
}
