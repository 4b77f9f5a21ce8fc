// The Win32 backend in a process whose ANSI code page is UTF-8, as quillet's manifest (which
// this program carries) makes it: the conversions, and the environment, the text measures and
// the catalog with names outside the system's code page.
#include "ibuffer.hpp"
#include "ienviron.hpp"
#include "iexcept_platform.hpp"
#include "isystem.hpp"
#include "win32/iwin32text.hpp"
#include "win32/iwin32window.hpp"

#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const std::string kanji = "\xe6\xbc\xa2\xe5\xad\x97"; // two characters of no Western code page
const std::wstring kanjiWide = L"\x6f22\x5b57";

// A conversion's units, which the wide calls read up to its terminator.
std::wstring units(const IWin32Text::WideText& text) {
  EXPECT_EQ(L'\0', text.c_str()[text.size()]);
  return std::wstring(text.c_str(), text.size());
}

} // namespace

TEST(CodePage, ManifestMakesUtf8TheAnsiCodePage) {
  // Everything below relies on it; Wine honours the manifest from 8.0 at the latest.
  ASSERT_EQ(static_cast<UINT>(CP_UTF8), GetACP());
}

TEST(CodePage, ConversionsKeepEveryCharacter) {
  // A character of two units (U+1D11E), one of two bytes and an embedded zero.
  const std::string text = "C:\\" + kanji + "\\\xf0\x9d\x84\x9e\xc3\xa9" + std::string(1, '\0') + "x";
  const std::wstring wide = L"C:\\" + kanjiWide + L"\\\xd834\xdd1e\x00e9" + std::wstring(1, L'\0') + L"x";
  EXPECT_EQ(wide, units(IWin32Text::wide(text.data(), text.size())));
  EXPECT_EQ(text, IWin32Text::narrow(wide.data(), wide.size()));
  EXPECT_EQ(L"C:\\" + kanjiWide, units(IWin32Text::wide(("C:\\" + kanji).c_str())));
  EXPECT_EQ(std::wstring(), units(IWin32Text::wide("", 0)));
  EXPECT_EQ(std::wstring(), units(IWin32Text::wide(nullptr)));
  EXPECT_EQ(std::string(), IWin32Text::narrow(L"", 0));
  // A byte that starts no character becomes U+FFFD, as the ANSI calls make it.
  EXPECT_EQ(std::wstring(L"a\xfffd" L"b"), units(IWin32Text::wide("a\xff" "b")));
}

TEST(CodePage, EnvironmentValuesComeBackWhole) {
  const wchar_t* const name = L"QUILLET_CODEPAGE_TEST";
  const std::wstring valueWide = L"C:\\" + kanjiWide + L"\\bin;C:\\other";
  const std::string value = "C:\\" + kanji + "\\bin;C:\\other"; // 22 bytes, 18 UTF-16 units
  ASSERT_TRUE(SetEnvironmentVariableW(name, valueWide.c_str()));

  // The buffer form answers in bytes: the value, or the size it needs.
  char buffer[64] = "";
  EXPECT_EQ(value.size(), IEnvironment::variable("QUILLET_CODEPAGE_TEST", buffer, sizeof buffer));
  EXPECT_EQ(value, buffer);
  EXPECT_EQ(value.size() + 1, IEnvironment::variable("QUILLET_CODEPAGE_TEST", buffer, value.size()));
  EXPECT_EQ(value.size() + 1, IEnvironment::variable("QUILLET_CODEPAGE_TEST", nullptr, 0));
  EXPECT_EQ(value, IEnvironment::variable("QUILLET_CODEPAGE_TEST").c_str());
  EXPECT_TRUE(IEnvironment::isSet("QUILLET_CODEPAGE_TEST"));
  // The one read under them all, for the catalog's name and the lead-byte table too.
  std::string got;
  EXPECT_TRUE(ISystem::environmentValue("QUILLET_CODEPAGE_TEST", got));
  EXPECT_EQ(value, got);

  // And the other way, a name of that script too.
  const std::string otherName = "QUILLET_" + kanji;
  ASSERT_TRUE(IEnvironment::setVariable(otherName.c_str(), value.c_str()));
  wchar_t wideBuffer[64] = L"";
  EXPECT_EQ(valueWide.size(), GetEnvironmentVariableW((L"QUILLET_" + kanjiWide).c_str(), wideBuffer, 64));
  EXPECT_EQ(valueWide, wideBuffer);
  SetEnvironmentVariableW(name, nullptr);
  IEnvironment::setVariable(otherName.c_str(), nullptr);
}

TEST(CodePage, TextIsMeasuredByTheAnsiCodePage) {
  // GDI's ANSI calls would read the bytes by the font's character set (Western: 1252).
  const IFont font;
  const std::wstring wide = L"\x00e9t\x00e9 " + kanjiWide;
  HDC screen = GetDC(nullptr);
  ASSERT_NE(nullptr, screen);
  HGDIOBJ old = SelectObject(screen, IWin32::fontFor(font)->handle());
  SIZE expected = {0, 0};
  GetTextExtentPoint32W(screen, wide.c_str(), static_cast<int>(wide.size()), &expected);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  ASSERT_GT(expected.cx, 0);
  ISize got = IWindowPlatform::textExtent(IString(("\xc3\xa9t\xc3\xa9 " + kanji).c_str()), font);
  EXPECT_EQ(expected.cx, got.width());
  EXPECT_EQ(expected.cy, got.height());
}

TEST(CodePage, CatalogInAFolderOfThatNameWithSuchAnInsert) {
  wchar_t program[MAX_PATH] = L"";
  ASSERT_NE(0u, GetModuleFileNameW(nullptr, program, MAX_PATH));
  const fs::path folder = fs::temp_directory_path() / (L"quillet-" + kanjiWide + L"-" + std::to_wstring(GetCurrentProcessId()));
  fs::create_directories(folder);
  fs::copy_file(fs::path(program).parent_path() / L"KORBMSGS.MSG", folder / L"KORBMSGS.MSG",
                fs::copy_options::overwrite_existing);
  const std::wstring catalogWide = (folder / L"KORBMSGS.MSG").wstring();
  const std::string catalog = IWin32Text::narrow(catalogWide.data(), catalogWide.size());

  const char* inserts[iexc::maxInserts] = {};
  for (const char*& insert : inserts)
    insert = "";
  const std::string condition = kanji + " != 0";
  inserts[0] = condition.c_str();
  char text[iexc::catalogTextSize] = "";
  EXPECT_TRUE(iexc::catalogMessage(catalog.c_str(), 1, inserts, text, sizeof text));
  EXPECT_EQ("A condition required by the class library was not met: " + condition, text);
  fs::remove_all(folder);
}
