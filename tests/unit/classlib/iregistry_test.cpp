// Tests of the registry file reader and, on POSIX, of the registry answers built on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "iregistry.hpp"
#include "iregistryfile.hpp"

namespace {

const char* const javaKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6";

std::string dataOf(const IRegistryFile& file, const char* key, const char* value) {
  const IRegistryFile::Key* k = file.findKey(key);
  if (k == nullptr) return "<no key>";
  const IRegistryFile::Value* v = IRegistryFile::findValue(*k, value);
  return v == nullptr ? "<no value>" : v->data;
}

TEST(IRegistryFile, ReadsEveryValueFormOfAVersion5File) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6]\r\n"
      "\"RuntimeLib\"=\"C:\\\\Program Files\\\\Java\\\\bin\\\\client\\\\jvm.dll\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000010a\r\n"
      "\"Blob\"=hex:41,42,\\\r\n"
      "  43\r\n"
      "\"Expand\"=hex(2):25,00,50,00,00,00\r\n"
      "\"Euro\"=hex(1):ac,20,00,00\r\n"
      "\"Empty\"=hex:\r\n"));
  EXPECT_EQ(std::string("C:\\Program Files\\Java\\bin\\client\\jvm.dll") + '\0',
            dataOf(file, javaKey, "RuntimeLib"));
  EXPECT_EQ(std::string("say \"hi\"") + '\0', dataOf(file, javaKey, "Quoted"));
  EXPECT_EQ(std::string("default") + '\0', dataOf(file, javaKey, ""));
  EXPECT_EQ(std::string("\x0a\x01\x00\x00", 4), dataOf(file, javaKey, "Count"));
  EXPECT_EQ("ABC", dataOf(file, javaKey, "Blob"));
  // String types of a version 5 file are UTF-16 and come back narrow.
  EXPECT_EQ(std::string("%P") + '\0', dataOf(file, javaKey, "Expand"));
  EXPECT_EQ(std::string("\xE2\x82\xAC") + '\0', dataOf(file, javaKey, "Euro"));
  EXPECT_EQ("", dataOf(file, javaKey, "Empty"));
  const IRegistryFile::Key* k = file.findKey(javaKey);
  ASSERT_NE(nullptr, k);
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeExpandString),
            IRegistryFile::findValue(*k, "Expand")->type);
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeBinary), IRegistryFile::findValue(*k, "Blob")->type);
}

TEST(IRegistryFile, NamesIgnoreCaseAndParentsExist) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse("REGEDIT4\n[HKLM\\Software\\OBEL\\A]\n\"Name\"=\"x\"\n"));
  EXPECT_TRUE(file.hasKey("hkey_local_machine\\SOFTWARE\\obel\\a"));
  EXPECT_TRUE(file.hasKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel"));
  EXPECT_FALSE(file.hasKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ob"));
  EXPECT_EQ(nullptr, file.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel"));
  EXPECT_EQ(std::string("x") + '\0', dataOf(file, "HKEY_LOCAL_MACHINE\\software\\obel\\a", "NAME"));
}

TEST(IRegistryFile, Regedit4StringDataIsTakenAsItsBytes) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse("REGEDIT4\n[HKLM\\K]\n\"S\"=hex(2):41,00,42\n\"T\"=hex(1):41,42\n"));
  EXPECT_EQ(std::string("A\0B", 3), dataOf(file, "HKLM\\K", "S"));
  // A string stored without its terminator stays so: readers must bound it themselves.
  EXPECT_EQ("AB", dataOf(file, "HKLM\\K", "T"));
}

TEST(IRegistryFile, LaterLinesReplaceAndRemove) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse("REGEDIT4\n"
                         "[HKLM\\A]\n\"v\"=\"1\"\n\"w\"=\"1\"\n"
                         "[HKLM\\A\\B]\n\"v\"=\"2\"\n"
                         "[hklm\\a]\n\"V\"=\"3\"\n\"w\"=-\n"
                         "[HKLM\\C]\n\"v\"=\"4\"\n"
                         "[-HKLM\\C]\n"));
  EXPECT_EQ(std::string("3") + '\0', dataOf(file, "HKLM\\A", "v"));
  EXPECT_EQ("<no value>", dataOf(file, "HKLM\\A", "w"));
  EXPECT_EQ(std::string("2") + '\0', dataOf(file, "HKLM\\A\\B", "v"));
  EXPECT_FALSE(file.hasKey("HKLM\\C"));
}

TEST(IRegistryFile, Utf16FileWithByteOrderMark) {
  std::string narrow = "Windows Registry Editor Version 5.00\r\n[HKLM\\K]\r\n\"V\"=\"\xC3\xA9t\xC3\xA9\"\r\n";
  // Build the UTF-16LE form of the text by hand: every character here is below U+0100.
  std::string wide = "\xFF\xFE";
  for (std::size_t i = 0; i < narrow.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(narrow[i]);
    unsigned cp = c;
    if (c == 0xC3) cp = 0xC0 | (static_cast<unsigned char>(narrow[++i]) & 0x3F);
    wide += static_cast<char>(cp);
    wide += '\0';
  }
  IRegistryFile file;
  ASSERT_TRUE(file.parse(wide));
  EXPECT_EQ(std::string("\xC3\xA9t\xC3\xA9") + '\0', dataOf(file, "HKLM\\K", "V"));
}

TEST(IRegistryFile, RejectsTextNotInTheFormat) {
  struct Case { const char* text; unsigned long line; };
  const Case cases[] = {
      {"", 1},
      {"[HKLM\\K]\n", 1},                                   // no header
      {"REGEDIT4\n\"v\"=\"x\"\n", 2},                       // value outside any key
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=\"unclosed\n", 3},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=dword:123456789\n", 3},  // nine digits
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=dword:xyz\n", 3},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=hex:4g\n", 3},
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=hex:41,\\", 3},           // continuation past the end
      {"REGEDIT4\n[HKLM\\K]\n\"v\"=\"a\" trailing\n", 3},
      {"REGEDIT4\n[HKLM\\K]\nv=\"a\"\n", 3},
      {"REGEDIT4\n[HKLM\\K\n", 2},
  };
  for (const Case& c : cases) {
    IRegistryFile file;
    EXPECT_FALSE(file.parse(c.text)) << c.text;
    EXPECT_EQ(c.line, file.errorLine()) << c.text;
  }
}

#ifndef _WIN32

// The POSIX registry behind the platform's calls: a real file named by IREGISTRY.
class PosixRegistry : public ::testing::Test {
protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "iregistry_test.reg";
    const char* old = std::getenv("IREGISTRY");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("IREGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    std::remove(path_.c_str());
    if (hadOld_) setenv("IREGISTRY", old_.c_str(), 1); else unsetenv("IREGISTRY");
  }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

  std::string path_, old_;
  bool hadOld_ = false;
};

TEST_F(PosixRegistry, AnswersTheTwoCallProtocolLikeTheRegistry) {
  write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"A\"=\"abc\"\n\"B\"=hex:01,02\n\"Z\"=hex:\n");
  IRegistry::Key key = nullptr;
  ASSERT_EQ(IRegistry::success, IRegistry::openKey("software\\k", &key));

  IRegistry::ValueEntry entry = {"a", 0, nullptr, 0};
  unsigned long size = 0;
  EXPECT_EQ(IRegistry::moreData, IRegistry::queryMultipleValues(key, &entry, 1, nullptr, &size));
  EXPECT_EQ(4ul, size);
  EXPECT_EQ(4ul, entry.valueLength);
  EXPECT_EQ(nullptr, entry.valuePointer);

  char small[3] = {'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(IRegistry::moreData, IRegistry::queryMultipleValues(key, &entry, 1, small, &size));
  EXPECT_EQ(4ul, size);
  EXPECT_EQ('x', small[0]); // nothing copied into a buffer that is too small

  char buffer[4];
  size = sizeof buffer;
  EXPECT_EQ(IRegistry::success, IRegistry::queryMultipleValues(key, &entry, 1, buffer, &size));
  EXPECT_EQ(buffer, entry.valuePointer);
  EXPECT_EQ(std::string("abc") + '\0', std::string(buffer, 4));
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeString), entry.type);

  // Two values lie one after the other; a missing one fails the whole list.
  IRegistry::ValueEntry two[2] = {{"B", 0, nullptr, 0}, {"A", 0, nullptr, 0}};
  char both[6];
  size = sizeof both;
  EXPECT_EQ(IRegistry::success, IRegistry::queryMultipleValues(key, two, 2, both, &size));
  EXPECT_EQ(both + 2, two[1].valuePointer);
  IRegistry::ValueEntry missing[2] = {{"A", 0, nullptr, 0}, {"nope", 0, nullptr, 0}};
  size = 0;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::queryMultipleValues(key, missing, 2, nullptr, &size));

  // A value without data still answers moreData (with size 0) when no buffer is given.
  IRegistry::ValueEntry empty = {"Z", 0, nullptr, 0};
  size = 0;
  EXPECT_EQ(IRegistry::moreData, IRegistry::queryMultipleValues(key, &empty, 1, nullptr, &size));
  EXPECT_EQ(0ul, size);
  EXPECT_EQ(IRegistry::success, IRegistry::closeKey(key));
}

TEST_F(PosixRegistry, OpenFailsForMissingKeysFilesAndBadFiles) {
  IRegistry::Key key = nullptr;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key)); // no file yet
  EXPECT_EQ(nullptr, key);

  write("REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\K]\n\"A\"=\"abc\"\n");
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key)); // other root

  write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\Sub]\n");
  ASSERT_EQ(IRegistry::success, IRegistry::openKey("SOFTWARE\\K", &key)); // a parent exists
  IRegistry::ValueEntry entry = {"A", 0, nullptr, 0};
  unsigned long size = 0;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::queryMultipleValues(key, &entry, 1, nullptr, &size));
  IRegistry::closeKey(key);

  write("not a registry file\n");
  EXPECT_EQ(IRegistry::badDatabase, IRegistry::openKey("SOFTWARE\\K", &key));

  setenv("IREGISTRY", ::testing::TempDir().c_str(), 1); // a directory
  EXPECT_EQ(IRegistry::badDatabase, IRegistry::openKey("SOFTWARE\\K", &key));
  EXPECT_EQ(IRegistry::invalidHandle, IRegistry::closeKey(nullptr));
}

#endif

} // namespace
