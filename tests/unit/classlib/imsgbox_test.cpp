// Tests of the message box's portable rules: styles, severities, responses, the flags and
// fix-ups around the platform call, the queue set-up, the button sets and the title.
#include "imsgbox.hpp"
#include "imsgboxlogic.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iexcept.hpp"
#include "iwindow.hpp"
#include "quietlogger.hpp"

namespace {

using namespace IMessageBoxLogic;

// A window with a fixed text and no platform window, to own boxes.
class TextWindow : public IWindow {
public:
  explicit TextWindow(const char* text, IWindowHandle handle = IWindowHandle()) : text_(text) {
    setHandle(handle);
  }
  IString text() const override { return text_; }

private:
  IString text_;
};


class MessageBoxRules : public ::testing::Test {
protected:
private:
  QuietLogger quiet_;
};

std::vector<std::string> labels(const Layout& layout) {
  std::vector<std::string> result;
  for (const Button& b : layout.buttons)
    result.push_back(b.label);
  return result;
}

TEST(MessageBoxStyle, StylesUniteBothWords) {
  IMessageBox::Style both = IMessageBox::Style(0x10, 1) | IMessageBox::Style(0x200, 2);
  EXPECT_EQ(both, IMessageBox::Style(0x210, 3));
}

TEST_F(MessageBoxRules, SeveritiesStandForFixedStylesAndABadOneRaises) {
  EXPECT_EQ(IMessageBox::convertSeverity(IMessageBox::informational).asUnsignedLong(), 0x40u);
  EXPECT_EQ(IMessageBox::convertSeverity(IMessageBox::warning).asUnsignedLong(), 0x3Fu);
  EXPECT_EQ(IMessageBox::convertSeverity(IMessageBox::question).asUnsignedLong(), 0x25u);
  EXPECT_EQ(IMessageBox::convertSeverity(IMessageBox::recoverableError).asUnsignedLong(), 0x15u);
  EXPECT_EQ(IMessageBox::convertSeverity(IMessageBox::fatalError).asUnsignedLong(), 0x10u);

  for (int bad : {5, 7}) {
    try {
      IMessageBox::convertSeverity(static_cast<IMessageBox::Severity>(bad));
      ADD_FAILURE() << "severity " << bad << " was accepted";
    } catch (const IInvalidParameter& e) {
      EXPECT_EQ(e.errorId(), 39u);
      EXPECT_TRUE(e.isRecoverable());
      ASSERT_GE(e.locationCount(), 1u);
      EXPECT_STREQ(e.locationAtIndex(0)->fileName(), "imsgbox");
      EXPECT_EQ(e.locationAtIndex(0)->lineNumber(), 386u);
    }
  }
  // show raises before anything is shown (a shown box would wait for a person here).
  IMessageBox box(nullptr);
  EXPECT_THROW(box.show("never shown", static_cast<IMessageBox::Severity>(5)), IInvalidParameter);
}

TEST_F(MessageBoxRules, RawResultsBecomeResponses) {
  for (unsigned long raw = 1; raw <= 7; ++raw)
    EXPECT_EQ(IMessageBox::convertResponse(raw), static_cast<IMessageBox::Response>(raw));
  EXPECT_EQ(IMessageBox::convertResponse(15), IMessageBox::enter);
  for (unsigned long raw : {8ul, 9ul, 10ul, 14ul, 16ul, 0xFFFFFFFFul})
    EXPECT_EQ(IMessageBox::convertResponse(raw), IMessageBox::unknown) << raw;

  try {
    IMessageBox::convertResponse(0);
    ADD_FAILURE() << "0 was accepted";
  } catch (const IAccessError& e) {
    EXPECT_STREQ(e.text(0), "IMESSAGEBOX:No error text is available.");
    EXPECT_TRUE(e.isRecoverable());
    EXPECT_STREQ(e.errorCodeGroup(), "Presentation System");
    EXPECT_EQ(e.locationAtIndex(0)->lineNumber(), 419u);
  }
}

TEST(MessageBoxFlags, LibraryButtonSetsAreRewrittenAndEveryBoxComesToTheFront) {
  // The platform's own sets pass unchanged, with icon, default and modality bits.
  for (std::uint32_t set = 0; set <= 5; ++set) {
    Flags f = prepare(0x1230 | set, 0);
    EXPECT_EQ(f.flags, 0x11230u | set);
    EXPECT_EQ(f.buttonSet, set);
  }
  EXPECT_EQ(prepare(0x1D, 0).flags, 0x10010u);  // buttonsCancel: OK only
  EXPECT_EQ(prepare(0x1D, 0).buttonSet, 13u);
  EXPECT_EQ(prepare(0x10E, 0).flags, 0x10100u); // buttonsEnter: OK only
  EXPECT_EQ(prepare(0x3F, 0).flags, 0x10031u);  // buttonsEnterCancel: OK and Cancel
  EXPECT_EQ(prepare(0x3F, 0).buttonSet, 15u);
  // A help id adds the Help button.
  EXPECT_EQ(prepare(0x0, 42).flags, 0x14000u);
  EXPECT_EQ(prepare(0xF, 1).flags, 0x14001u);
}

TEST(MessageBoxFlags, ResultsAreFixedUpForTheLibrarySets) {
  for (unsigned long raw : {1ul, 2ul, 9ul}) {
    EXPECT_EQ(fixUp(13, raw), 2u);  // buttonsCancel always answers cancel
    EXPECT_EQ(fixUp(14, raw), 15u); // buttonsEnter always answers enter
  }
  EXPECT_EQ(fixUp(15, 1), 15u);
  EXPECT_EQ(fixUp(15, 2), 2u);
  for (std::uint32_t set = 0; set <= 5; ++set)
    EXPECT_EQ(fixUp(set, 6), 6u);
  // A failed call stays a failure, whatever the set: convertResponse then raises.
  for (std::uint32_t set : {0u, 13u, 14u, 15u})
    EXPECT_EQ(fixUp(set, 0), 0u) << set;
}

TEST(MessageBoxFlags, ABoxThatCannotBeShownAnswersAsItsFirstButtonAfterTheFixUps) {
  struct Case { std::uint32_t style; unsigned long helpId, result; } cases[] = {
      {0x40, 0, rawOk},           // informational: OK
      {0x1D, 0, rawCancel},       // buttonsCancel: its one button answers cancel
      {0x0E, 0, rawEnter},        // buttonsEnter
      {0x3F, 0, rawEnter},        // warning: buttonsEnterCancel's OK is enter
      {0x15, 0, rawRetry},        // recoverableError: Retry, Cancel
      {0x234, 0, rawYes},         // Yes, No with the third default: still the first button
      {0x2, 0, rawAbort},
      {0x0, 9, rawOk},            // Help comes last, never first
      {0x7, 0, rawOk},            // no such set: OK
  };
  for (const Case& c : cases)
    EXPECT_EQ(unshownResult(c.style, c.helpId), c.result) << std::hex << c.style;
}

TEST(MessageBoxSetUp, QueueRequestShrinksByEightWhileRefused) {
  std::vector<long> asked;
  auto grantedAt = [&](long limit) {
    return [&asked, limit](long size) {
      asked.push_back(size);
      return size <= limit;
    };
  };
  EXPECT_EQ(requestQueue(30, grantedAt(30)), 30);
  EXPECT_EQ(asked, std::vector<long>({30}));
  asked.clear();
  EXPECT_EQ(requestQueue(30, grantedAt(15)), 14);
  EXPECT_EQ(asked, std::vector<long>({30, 22, 14}));
  asked.clear();
  EXPECT_EQ(requestQueue(30, grantedAt(0)), 0);
  EXPECT_EQ(asked, std::vector<long>({30, 22, 14, 6}));
}

TEST(MessageBoxTitle, OwnTitleElseOwnerTextExceptForTheDesktop) {
  TextWindow owner("Owner text");
  TextWindow silent("");
  EXPECT_EQ(titleFor("Box title", &owner), "Box title");
  EXPECT_EQ(titleFor("", &owner), "Owner text");
  EXPECT_EQ(titleFor("", &silent), "");
  EXPECT_EQ(titleFor("", nullptr), "");
  EXPECT_EQ(titleFor("", IWindow::desktopWindow()), "");
  EXPECT_EQ(titleFor("Box title", IWindow::desktopWindow()), "Box title");
  IWindowHandle desktop = IWindow::desktopWindow()->handle();
  if (desktop.isValid()) {
    // Another object for the desktop's handle is the desktop too.
    TextWindow alias("not the title", desktop);
    EXPECT_EQ(titleFor("", &alias), "");
  }
}

TEST(MessageBoxLayout, ButtonSetsDefaultsIconsAndEscapeAsWindowsHasThem) {
  EXPECT_EQ(labels(layout(0x0)), std::vector<std::string>({"OK"}));
  EXPECT_EQ(layout(0x0).escapeResult, 1u); // OK alone: Escape and close answer OK
  EXPECT_EQ(labels(layout(0x1)), std::vector<std::string>({"OK", "Cancel"}));
  EXPECT_EQ(layout(0x1).escapeResult, 2u);
  EXPECT_EQ(labels(layout(0x2)), std::vector<std::string>({"Abort", "Retry", "Ignore"}));
  EXPECT_EQ(layout(0x2).escapeResult, 0u); // no Cancel: Escape does nothing
  EXPECT_EQ(labels(layout(0x3)), std::vector<std::string>({"Yes", "No", "Cancel"}));
  EXPECT_EQ(layout(0x3).escapeResult, 2u);
  EXPECT_EQ(labels(layout(0x4)), std::vector<std::string>({"Yes", "No"}));
  EXPECT_EQ(layout(0x4).escapeResult, 0u);
  EXPECT_EQ(labels(layout(0x5)), std::vector<std::string>({"Retry", "Cancel"}));
  EXPECT_TRUE(layout(0x7).buttons.empty()); // no such set: the platform refuses

  Layout withHelp = layout(0x4003);
  EXPECT_EQ(labels(withHelp), std::vector<std::string>({"Yes", "No", "Cancel", "Help"}));
  EXPECT_EQ(withHelp.buttons.back().raw, 9u);
  EXPECT_EQ(layout(0x4300).defaultButton, 0u); // a fourth default without a fourth button
  EXPECT_EQ(layout(0x4301).defaultButton, 0u);
  EXPECT_EQ(layout(0x4303).defaultButton, 3u);
  EXPECT_EQ(layout(0x104).defaultButton, 1u);
  EXPECT_EQ(layout(0x200).defaultButton, 0u);

  EXPECT_EQ(layout(0x00).icon, nullptr);
  EXPECT_STREQ(layout(0x10).icon, "error");
  EXPECT_STREQ(layout(0x20).icon, "question");
  EXPECT_STREQ(layout(0x30).icon, "warning");
  EXPECT_STREQ(layout(0x40).icon, "information");

  EXPECT_EQ(firstButtonResult(0x0), 1u);
  EXPECT_EQ(firstButtonResult(0x2), 3u);
  EXPECT_EQ(firstButtonResult(0x3), 6u);
  EXPECT_EQ(firstButtonResult(0x5), 4u);
}

} // namespace
