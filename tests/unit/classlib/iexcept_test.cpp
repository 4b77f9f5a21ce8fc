// Tests of IException, the logger records, the raise operations, throwIt and the message catalog.
#include "iexcept.hpp"
#include "iexcept_platform.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

// Records every line handed to a logger, and "<end>" for each record's end.
class RecordingLogger : public IExceptionLogger {
public:
  std::vector<std::string> lines;
  void writeLine(const char* line) override { lines.push_back(line); }
  void endRecord() override { lines.push_back("<end>"); }
};

class WithLogger : public ::testing::Test {
protected:
  void SetUp() override { previous_ = IException::setLogger(&log); }
  void TearDown() override { IException::setLogger(previous_); }
  RecordingLogger log;

private:
  IExceptionLogger* previous_ = nullptr;
};

// One line with every field of an exception: class, id, severity, group, texts newest first,
// locations oldest first.
std::string summary(const IException& e) {
  std::string s = std::string(e.name()) + " id=" + std::to_string(e.errorId()) +
                  (e.isRecoverable() ? " recoverable" : " unrecoverable") + " group=" +
                  (e.errorCodeGroup() ? e.errorCodeGroup() : "(null)");
  for (unsigned long i = 0; i < e.textCount(); ++i)
    s += std::string(" | ") + e.text(i);
  for (unsigned long i = 0; i < e.locationCount(); ++i) {
    const IThrowLocation* l = e.locationAtIndex(i);
    s += std::string(" @") + l->fileName() + ":" + (l->functionName() ? l->functionName() : "(null)") +
         ":" + std::to_string(l->lineNumber());
  }
  return s;
}

template <class F> std::string raised(F raise) {
  try {
    raise();
  } catch (const IException& e) {
    return summary(e);
  }
  return "nothing thrown";
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

const std::string kText1 = "A condition required by the class library was not met: ";
const std::string kText51 = "The string would be longer than the largest length a string can have.";

} // namespace

// --- the exception's own fields ------------------------------------------------------------

TEST(IExceptionTest, TextStack) {
  char caller[] = "T1";
  IException e(caller, 0, IException::unrecoverable);
  caller[0] = 'X'; // the stack holds copies
  EXPECT_EQ(summary(e), "IException id=0 unrecoverable group=Obel Class Library | T1");
  EXPECT_EQ(e.textCount(), 1u);
  EXPECT_EQ(e.text(1), nullptr);

  e.setText("T2");
  EXPECT_STREQ(e.text(0), "T2");
  EXPECT_STREQ(e.text(1), "T1");
  e.appendText("T3").setText(nullptr).appendText(nullptr);
  EXPECT_EQ(e.textCount(), 2u);
  EXPECT_STREQ(e.text(0), "T2T3");
  EXPECT_EQ(e.text(2), nullptr);

  IException empty(nullptr, 7, IException::recoverable);
  EXPECT_EQ(empty.textCount(), 0u);
  EXPECT_EQ(empty.text(0), nullptr);
  empty.appendText("first"); // on an empty stack it pushes
  EXPECT_EQ(summary(empty), "IException id=7 recoverable group=Obel Class Library | first");
}

TEST(IExceptionTest, CopyAndAssignmentDeepCopyEveryText) {
  IException original("oldest", 12, IException::recoverable);
  original.setText("newest").setErrorCodeGroup(IEXC_GROUP_SYSTEM);
  original.addLocation(IThrowLocation("a.cpp", "f()", 3));
  const std::string before = summary(original);

  IException copy(original);
  original.appendText("+more"); // moves the original's newest text if it was shared
  original.setText("third");
  EXPECT_EQ(summary(copy), before);

  IException assigned("to be replaced");
  assigned = original;
  const IException& self = assigned;
  assigned = self;
  EXPECT_EQ(summary(assigned), summary(original));
  EXPECT_EQ(summary(assigned),
            "IException id=12 recoverable group=Operating System | third | newest+more | oldest @a.cpp:f():3");
}

TEST(IExceptionTest, SixthLocationReplacesTheFifth) {
  IException e(nullptr);
  for (unsigned long line = 1; line <= 6; ++line)
    e.addLocation(IThrowLocation("f", "g", line));
  EXPECT_EQ(summary(e), "IException id=0 unrecoverable group=Obel Class Library"
                        " @f:g:1 @f:g:2 @f:g:3 @f:g:4 @f:g:6");
  EXPECT_EQ(e.locationAtIndex(5), nullptr);
}

TEST(IExceptionTest, HandlersCatchTheirClassAndThoseBelow) {
  EXPECT_TRUE((caughtAs<IOutOfCollectionMemory, IOutOfMemory>()));
  EXPECT_TRUE((caughtAs<IOutOfCollectionMemory, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<IOutOfSystemResource, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<IOutOfWindowResource, IResourceExhausted>()));
  EXPECT_TRUE((caughtAs<ICyclicAttachException, IPreconditionViolation>()));
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
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "\nIException exception thrown.\n   Location information is unavailable.",
                           "   Error Id is unavailable.", "   Error Code group is Obel Class Library",
                           "   Exception text is:", "      T1", "<end>"}));
}

TEST_F(WithLogger, RecordUsesTheNewestLocationAndListsTextsOldestFirst) {
  IAccessError e("oldest", 4711);
  e.setText("middle").setText("newest").setErrorCodeGroup(nullptr);
  e.addLocation(IThrowLocation("first.cpp", "first()", 1));
  e.addLocation(IThrowLocation("idynlib", nullptr, 212));
  e.writeToLog();
  IException(nullptr).writeToLog();
  EXPECT_EQ(log.lines,
            (std::vector<std::string>{
                "IAccessError exception thrown.\n   function: Unknown\n   file: idynlib\n   line: 212",
                "   Error Id is 4711", "    Error Code group is unavailable.", "   Exception text is:",
                "      oldest", "      middle", "      newest", "<end>",
                "\nIException exception thrown.\n   Location information is unavailable.",
                "   Error Id is unavailable.", "   Error Code group is Obel Class Library",
                "   Exception text is unavailable.", "<end>"}));
}

TEST_F(WithLogger, LinesLongerThanTheLineBufferAreKeptWhole) {
  const std::string longFunction(400, 'f');
  const std::string longText(5000, 't');
  IException e(longText.c_str());
  e.addLocation(IThrowLocation("x.cpp", longFunction.c_str(), 9));
  e.writeToLog();
  ASSERT_EQ(log.lines.size(), 6u);
  EXPECT_EQ(log.lines[0],
            "IException exception thrown.\n   function: " + longFunction + "\n   file: x.cpp\n   line: 9");
  EXPECT_EQ(log.lines[4], "      " + longText);
}

TEST(IExceptionLoggerTest, DefaultLoggerPrintsEachLineToStandardError) {
  RecordingLogger mine;
  IExceptionLogger* previous = IException::setLogger(&mine);
  EXPECT_EQ(IException::setLogger(nullptr), &mine); // null puts the default back
  IExceptionLogger* standard = IException::logger();
  ASSERT_NE(standard, &mine);

  IException e("first text", 51, IException::recoverable);
  e.setText("second text");
  e.addLocation(IThrowLocation("istring", "IString::operator+(const IString&) const", 1385));
  ::testing::internal::CaptureStderr();
  e.writeToLog();
  IException(nullptr).setErrorCodeGroup(nullptr).writeToLog();
  const std::string printed = ::testing::internal::GetCapturedStderr();
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

// --- the raise operations ------------------------------------------------------------------

TEST_F(WithLogger, LibraryErrorTypeCodesChooseTheClass) {
  const char* const classes[] = {"IAccessError",         "IDeviceError",         "IInvalidParameter",
                                 "IInvalidRequest",      "IOutOfSystemResource", "IOutOfWindowResource",
                                 "IOutOfMemory",         "IResourceExhausted"};
  for (int type = 0; type < 8; ++type) {
    EXPECT_EQ(raised([type] {
                raiseLibraryError(51, IThrowLocation("istring", "f()", 10),
                                  static_cast<IException::ExceptionType>(type), IException::unrecoverable);
              }),
              std::string(classes[type]) + " id=51 unrecoverable group=Obel Class Library | " + kText51 +
                  " @istring:f():10");
    // Logged once, before it was thrown.
    ASSERT_EQ(log.lines.size(), 6u * (type + 1));
    EXPECT_EQ(log.lines[6u * type],
              std::string(classes[type]) + " exception thrown.\n   function: f()\n   file: istring\n   line: 10");
  }
  // A type code outside the table still throws what every handler of the system catches.
  EXPECT_EQ(raised([] {
              raiseLibraryError(51, IThrowLocation("f", "g", 1), static_cast<IException::ExceptionType>(42));
            }),
            "IException id=51 recoverable group=Obel Class Library | " + kText51 + " @f:g:1");
}

TEST_F(WithLogger, LibraryErrorDefaultsAndInsert) {
  EXPECT_EQ(raised([] { raiseLibraryError(1, IThrowLocation("imsgbox", "g", 674)); }),
            "IInvalidRequest id=1 recoverable group=Obel Class Library | " + kText1 + " @imsgbox:g:674");
  EXPECT_EQ(raised([] {
              raiseLibraryError(1, IThrowLocation("f", "g", 1), IException::invalidParameter,
                                IException::recoverable, "count <= 9");
            }),
            "IInvalidParameter id=1 recoverable group=Obel Class Library | " + kText1 + "count <= 9 @f:g:1");
}

TEST_F(WithLogger, WindowingErrorTakesTheLastPlatformError) {
  EXPECT_EQ(raised([] {
              ISetLastErrorCode(1400);
              raiseWindowingError("WinPostMsg", IThrowLocation("iwindow", "post", 5),
                                  IException::invalidParameter);
            }),
            "IInvalidParameter id=1400 recoverable group=Presentation System"
            " | WinPostMsg:No error text is available. @iwindow:post:5");
  EXPECT_EQ(raised([] {
              ISetLastErrorCode(127);
              raiseWindowingError("GetProcAddress: DymInitializeJVM", IThrowLocation("idynlib", "p", 1));
            }),
            "IAccessError id=127 recoverable group=Presentation System"
            " | GetProcAddress: DymInitializeJVM:No error text is available. @idynlib:p:1");
}

TEST_F(WithLogger, ParameterStateAndAssertionChecks) {
  EXPECT_EQ(raised([] { raiseParameterCheck("index > 0", IThrowLocation("istring", "f", 8)); }),
            "IInvalidParameter id=1 recoverable group=Other Error Group | " + kText1 + "index > 0 @istring:f:8");
  EXPECT_EQ(raised([] { raiseStateCheck("isOpen()", IThrowLocation("idynlib", "f", 9)); }),
            "IInvalidRequest id=1 recoverable group=Other Error Group | " + kText1 + "isOpen() @idynlib:f:9");
  EXPECT_EQ(raised([] { raiseAssertion("buffer != 0", IThrowLocation("istring", "f", 3)); }),
            "IAssertionFailure id=0 unrecoverable group=Other Error Group | buffer != 0 @istring:f:3");
  EXPECT_EQ(log.lines.size(), 18u);
}

TEST_F(WithLogger, SystemErrorCarriesThePlatformText) {
  // 2 is "file not found" on both platforms.
  const std::string withCall = raised([] {
    raiseSystemError(2, "CreateFileA", IThrowLocation("ienviron", "f", 4), IException::deviceError,
                     IException::unrecoverable);
  });
  const std::string head = "IDeviceError id=2 unrecoverable group=Operating System | CreateFileA:";
  ASSERT_EQ(withCall.substr(0, head.size()), head);
  const std::string tail = " @ienviron:f:4";
  ASSERT_EQ(withCall.substr(withCall.size() - tail.size()), tail);
  const std::string message = withCall.substr(head.size(), withCall.size() - head.size() - tail.size());
#ifdef _WIN32
  EXPECT_NE(message.find("not found"), std::string::npos) << message; // Windows and Wine differ
  EXPECT_EQ(raised([] { raiseSystemError(0x3fffff00, "Call", IThrowLocation("f", "g", 1)); }),
            "IAccessError id=1073741568 recoverable group=Operating System"
            " | Call:No error text is available. @f:g:1");
#else
  EXPECT_EQ(message, "No such file or directory");
#endif
  EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(raised([] { raiseSystemError(2, nullptr, IThrowLocation("f", "g", 1)); }),
            "IAccessError id=2 recoverable group=Operating System | " + message + " @f:g:1");
}

// --- throwIt -------------------------------------------------------------------------------

TEST_F(WithLogger, ThrowItTakesTheCatalogTextAndLogsTwice) {
  const std::string got = raised([] { IEmptyException::throwIt(371, "icoll", 77); });
  const std::string expected = "IEmptyException id=0 unrecoverable group=Obel Class Library"
                               " | The collection is empty. @icoll:(null):77"
                               " @iexc:IEmptyException::throwIt(unsigned long,const char*,unsigned long):";
  EXPECT_EQ(got.substr(0, expected.size()), expected);
  ASSERT_GE(log.lines.size(), 12u);
  EXPECT_EQ(log.lines[0], "IEmptyException exception thrown.\n   function: Unknown\n   file: icoll\n   line: 77");
  EXPECT_EQ(log.lines[5], "<end>");
  EXPECT_EQ(log.lines[6].rfind("IEmptyException exception thrown.\n   function: "
                               "IEmptyException::throwIt(unsigned long,const char*,unsigned long)\n"
                               "   file: iexc\n",
                               0),
            0u)
      << log.lines[6];

  // Not in the catalog and not one of the collection messages.
  EXPECT_NE(raised([] { IPreconditionViolation::throwIt(999, "x", 1); }).find("| unknown exception text @"),
            std::string::npos);
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
  // The name is matched without letter case, as on Windows.
  EXPECT_EQ(testMessage(102, {"x"}, nullptr, "testmsgs.msg"), "[x] is in front.");
}

// The escapes of a Windows message table, which one catalog source serves both platforms with:
// the POSIX catalog must expand them as FormatMessage does (a line break is CR LF there).
TEST(MessageCatalogTest, EscapesStandForTheirCharactersAndZeroEndsTheText) {
#if defined(_WIN32)
  const char* lineBreak = "\r\n";
#else
  const char* lineBreak = "\n";
#endif
  EXPECT_EQ(testMessage(103, {}), std::string("Tab\tline") + lineBreak + "return\rend");
  EXPECT_EQ(testMessage(104, {}), "Percent %, dot ., bang !, blank [ ].");
}

TEST(MessageCatalogTest, MissingMessageOrCatalogGivesTheFallbackText) {
  bool found = true;
  EXPECT_EQ(testMessage(99, {"a"}, &found), "Unable to load text from message file.");
  EXPECT_FALSE(found);
  found = true;
  EXPECT_EQ(testMessage(100, {"a"}, &found, "NOSUCH.MSG"), "Unable to load text from message file.");
  EXPECT_FALSE(found);

  char small[10];
  const char* inserts[] = {"x"};
  EXPECT_TRUE(iexc::catalogTextFrom("TESTMSGS.MSG", 102, inserts, 1, small, sizeof small));
  EXPECT_STREQ(small, "[x] is in"); // cut to the caller's buffer
}

// Runs of this suite come from the test list, one process per value of "TAVRO MSGFILE";
// QUILLET_CATALOG_CASE says which. Each run checks a message that only the catalog it expects
// has, so a variable that is not honoured shows.
TEST(CatalogFromEnvironment, VariableNamesTheCatalogForTheWholeProcess) {
  const char* which = std::getenv("QUILLET_CATALOG_CASE");
  if (!which)
    GTEST_SKIP() << "run by the classlib_catalog_* tests";
  const std::string mode = which;
#ifdef _WIN32
  // Wine does not pass a Unix variable whose name has a blank, so the run sets it here,
  // before anything has read the catalog.
  const char* value = mode == "named" ? "TESTMSGS.MSG" : mode == "missing" ? "NOSUCH.MSG" : "";
  ASSERT_TRUE(SetEnvironmentVariableA("TAVRO MSGFILE", value));
#endif
  RecordingLogger quiet;
  IExceptionLogger* previous = IException::setLogger(&quiet);

  const unsigned long id = mode == "named" ? 102 : 51;
  char text[iexc::catalogTextSize];
  const char* inserts[] = {"x", nullptr};
  bool found = IMessageCatalogText(id, inserts, 2, text, sizeof text);
  const std::string library = raised([id] {
    raiseLibraryError(id, IThrowLocation("f", "g", 1), IException::accessError, IException::recoverable, "y");
  });
  const std::string precondition = raised([] { IEmptyException::throwIt(371, "f", 1); });

  if (mode == "named") {
    EXPECT_TRUE(found);
    EXPECT_STREQ(text, "[x] is in front.");
    EXPECT_EQ(library, "IAccessError id=102 recoverable group=Obel Class Library | [y] is in front. @f:g:1");
    // Changing the variable later does not move the process to another catalog.
#ifdef _WIN32
    SetEnvironmentVariableA("TAVRO MSGFILE", "NOSUCH.MSG");
#else
    setenv("TAVRO MSGFILE", "NOSUCH.MSG", 1);
#endif
    EXPECT_TRUE(IMessageCatalogText(id, inserts, 2, text, sizeof text));
  } else {
    // "missing" names a file that does not exist; "empty" names none (the program itself,
    // which carries no messages). The library's own catalog would have message 51.
    EXPECT_FALSE(found) << mode;
    EXPECT_STREQ(text, "Unable to load text from message file.");
    EXPECT_EQ(library, "IAccessError id=51 recoverable group=Obel Class Library"
                       " | Unable to load text from message file. @f:g:1");
  }
  // throwIt reads the library's own catalog whatever the variable says.
  EXPECT_NE(precondition.find("| The collection is empty. @"), std::string::npos) << precondition;
  IException::setLogger(previous);
}
