// Tests of the registry file reader and, on POSIX, of the registry answers built on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "iregistry.hpp"
#include "iregistryfile.hpp"
#include "recordinglogger.hpp"

namespace {

const IRegistryFile::KeyId noKey = IRegistryFile::noKey;
const char* const javaKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6";

std::string dataOf(const IRegistryFile& file, const char* key, const char* value) {
  IRegistryFile::KeyId k = file.findKey(key);
  if (k == noKey) return "<no key>";
  IRegistryFile::Value v;
  if (!file.findValue(k, value, v)) return "<no value>";
  return std::string(v.data, v.size);
}

unsigned long typeOf(const IRegistryFile& file, const char* key, const char* value) {
  IRegistryFile::Value v{};
  return file.findValue(file.findKey(key), value, v) ? v.type : ~0ul;
}

std::string problemsOf(const IRegistryFile& file) {
  std::string out;
  for (const IRegistryFile::Problem& p : file.problems()) out += std::to_string(p.line) + ": " + p.what + "\n";
  return out;
}

// The UTF-16LE form of a text whose characters are all below U+0100 (UTF-8 in, two bytes each).
std::string wide(const std::string& narrow) {
  std::string out;
  for (std::size_t i = 0; i < narrow.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(narrow[i]);
    unsigned cp = c;
    if (c == 0xC3) cp = 0xC0 | (static_cast<unsigned char>(narrow[++i]) & 0x3F);
    out += static_cast<char>(cp);
    out += '\0';
  }
  return out;
}

TEST(IRegistryFile, ReadsEveryValueFormOfAVersion5File) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6]\r\n"
      "\"RuntimeLib\"=\"C:\\\\Program Files\\\\Java\\\\bin\\\\client\\\\jvm.dll\"\r\n"
      "\"Quoted\"=\"say \\\"hi\\\"; not a comment\" ; a comment\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000010a ; 266\r\n"
      "\"Blob\"=hex:41,42,\\\r\n"
      "  43\r\n"
      "\"Expand\"=hex(2):25,00,50,00,00,00\r\n"
      "\"Euro\"=hex(1):ac,20,00,00\r\n"
      "\"Empty\"=hex:\r\n"));
  EXPECT_EQ(std::string("C:\\Program Files\\Java\\bin\\client\\jvm.dll") + '\0',
            dataOf(file, javaKey, "RuntimeLib"));
  EXPECT_EQ(std::string("say \"hi\"; not a comment") + '\0', dataOf(file, javaKey, "Quoted"));
  EXPECT_EQ(std::string("default") + '\0', dataOf(file, javaKey, ""));
  EXPECT_EQ(std::string("default") + '\0', dataOf(file, javaKey, nullptr));
  EXPECT_EQ(std::string("\x0a\x01\x00\x00", 4), dataOf(file, javaKey, "Count"));
  EXPECT_EQ("ABC", dataOf(file, javaKey, "Blob"));
  // String types of a version 5 file are UTF-16 and come back narrow.
  EXPECT_EQ(std::string("%P") + '\0', dataOf(file, javaKey, "Expand"));
  EXPECT_EQ(std::string("\xE2\x82\xAC") + '\0', dataOf(file, javaKey, "Euro"));
  EXPECT_EQ("", dataOf(file, javaKey, "Empty"));
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeExpandString), typeOf(file, javaKey, "Expand"));
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeBinary), typeOf(file, javaKey, "Blob"));
  EXPECT_EQ(static_cast<unsigned long>(IRegistry::typeDword), typeOf(file, javaKey, "Count"));
  EXPECT_EQ("", problemsOf(file));
}

TEST(IRegistryFile, NamesIgnoreCaseAndParentsExist) {
  IRegistryFile file;
  ASSERT_TRUE(file.parse("REGEDIT4\n[HKLM\\Software\\OBEL\\A]\n\"Name\"=\"x\"\n"
                         "[HKEY_CURRENT_USER\\Software\\Other]\n"));
  EXPECT_NE(noKey, file.findKey("hkey_local_machine\\SOFTWARE\\obel\\a"));
  EXPECT_NE(noKey, file.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel"));
  EXPECT_EQ(noKey, file.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ob"));
  EXPECT_EQ(noKey, file.findKey("HKEY_LOCAL_MACHINE\\Software\\Other"));
  EXPECT_NE(noKey, file.findKey("HKCU\\software\\other"));
  EXPECT_EQ("<no value>", dataOf(file, "HKLM\\SOFTWARE\\Obel", "Name"));
  EXPECT_EQ(std::string("x") + '\0', dataOf(file, "HKEY_LOCAL_MACHINE\\software\\obel\\a", "NAME"));
  // Below a key a path has no root; the key itself is the empty path.
  IRegistryFile::KeyId root = file.findKey("HKEY_LOCAL_MACHINE");
  EXPECT_EQ(file.findKey("HKLM\\Software\\Obel\\A"), file.findKey("software\\obel\\a", root));
  EXPECT_EQ(root, file.findKey("", root));
  EXPECT_EQ(noKey, file.findKey("HKLM\\Software", root));
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
                         "[HKLM\\A]\n\"v\"=\"1\"\n\"w\"=\"1\"\n\"x\"=\"1\"\n"
                         "[HKLM\\A\\B]\n\"v\"=\"2\"\n"
                         "[hklm\\a]\n\"V\"=\"3\"\n\"w\"=-\n\"x\"=- ; gone\n\"x\"=\"4\"\n"
                         "[HKLM\\C\\D]\n\"v\"=\"5\"\n"
                         "[-HKLM\\C]\n\"v\"=\"under a removed key\"\n"
                         "[HKLM\\C]\n\"n\"=\"6\"\n"));
  EXPECT_EQ(std::string("3") + '\0', dataOf(file, "HKLM\\A", "v"));
  EXPECT_EQ("<no value>", dataOf(file, "HKLM\\A", "w"));
  EXPECT_EQ(std::string("4") + '\0', dataOf(file, "HKLM\\A", "x"));
  EXPECT_EQ(std::string("2") + '\0', dataOf(file, "HKLM\\A\\B", "v"));
  // Made again after its removal, a key starts empty: neither its values nor its subkeys return.
  EXPECT_EQ(std::string("6") + '\0', dataOf(file, "HKLM\\C", "n"));
  EXPECT_EQ("<no value>", dataOf(file, "HKLM\\C", "v"));
  EXPECT_EQ(noKey, file.findKey("HKLM\\C\\D"));
  EXPECT_EQ("", problemsOf(file));
}

TEST(IRegistryFile, Utf16FilesWithAndWithoutTheirByteOrderMark) {
  const std::string text = "Windows Registry Editor Version 5.00\r\n[HKLM\\K]\r\n\"V\"=\"\xC3\xA9t\xC3\xA9\"\r\n"
                           "\"W\"=hex(1):41,00,00,00\r\n";
  for (const std::string& bytes : {"\xFF\xFE" + wide(text), wide(text)}) {
    IRegistryFile file;
    ASSERT_TRUE(file.parse(bytes)) << file.refusal();
    EXPECT_EQ(std::string("\xC3\xA9t\xC3\xA9") + '\0', dataOf(file, "HKLM\\K", "V"));
    EXPECT_EQ(std::string("A") + '\0', dataOf(file, "HKLM\\K", "W"));
    EXPECT_EQ("", problemsOf(file));
  }
}

TEST(IRegistryFile, LineEndsOfEveryKindCountAsLines) {
  // LF, CR LF and CR alone, mixed: the bad line is the fifth whatever ends the lines before it.
  IRegistryFile file;
  ASSERT_TRUE(file.parse("REGEDIT4\r[HKLM\\K]\r\n\"a\"=\"1\"\n\r\"bad\r\"b\"=\"2\"\r"));
  EXPECT_EQ(std::string("1") + '\0', dataOf(file, "HKLM\\K", "a"));
  EXPECT_EQ(std::string("2") + '\0', dataOf(file, "HKLM\\K", "b"));
  ASSERT_EQ(1ul, file.problemCount());
  EXPECT_EQ(5ul, file.problems()[0].line);
}

TEST(IRegistryFile, RefusesOnlyATextWithoutItsHeader) {
  struct Case { std::string text; const char* why; };
  const Case refused[] = {
      {"", "it is empty"},
      {"[HKLM\\K]\n\"v\"=\"x\"\n", "does not begin with"},
      {"not a registry file\nREGEDIT4\n", "does not begin with"},
      {std::string("\xFE\xFF\0R\0E", 6), "does not begin with"}, // UTF-16 big-endian
  };
  for (const Case& c : refused) {
    IRegistryFile file;
    EXPECT_FALSE(file.parse(c.text)) << c.text;
    EXPECT_NE(std::string::npos, file.refusal().find(c.why)) << file.refusal();
    EXPECT_EQ(noKey, file.findKey("HKLM\\K"));
  }
  // Blank and comment lines may come first; a header may be followed by nothing.
  IRegistryFile file;
  EXPECT_TRUE(file.parse("\xEF\xBB\xBF\n; made by hand\n# for quillet\n  REGEDIT4  \n[HKLM\\K]\n"));
  EXPECT_NE(noKey, file.findKey("HKLM\\K"));
  EXPECT_TRUE(IRegistryFile().parse("REGEDIT4"));
}

TEST(IRegistryFile, AMalformedLineCostsOnlyItself) {
  // Each case stands at line 4, between the good values of the key; the next key follows.
  struct Case {
    std::string lines;
    unsigned long line;    // of the one problem; 0 for none
    const char* what;
    bool restOfKey;        // "after" is still read
  };
  const std::string deep = [] {
    std::string path = "HKLM";
    for (int i = 0; i < 512; ++i) path += "\\k";
    return path;
  }();
  const Case cases[] = {
      {"\"x\"=\"y\" ;c", 0, "", true},
      {"# a comment", 0, "", true},
      {"\"x\"=hex:41,\\\n  42", 0, "", true},
      {"\"x\"=dword:123456789", 4, "dword value of more than 8 hex digits: \"123456789\"", true},
      {"\"x\"=dword:12z", 4, "not a hex digit", true},
      {"\"x\"=dword:", 4, "without digits", true},
      {"\"x\"=hex:2f,123", 4, "more than two digits in a byte: \"123\"", true},
      {"\"x\"=hex:2f,,30", 4, "not hex digits", true},
      {"\"x\"=hex(1x):41", 4, "type", true},
      {"\"x\"=\"unclosed", 4, "text without its closing quote", true},
      {"\"x\"=\"a\" trailing", 4, "text after the value: \"trailing\"", true},
      {"\"x\"=dword:1 2", 4, "text after the value", true},
      {"x=\"a\"", 4, "neither a section, a value nor a comment: \"x=\"a\"\"", true},
      // What the report quotes goes to a terminal: no escape sequence passes.
      {"\x1b]0;title\x07", 4, "neither a section, a value nor a comment: \"?]0;title?\"", true},
      {"\"x\"", 4, "no \"=\"", true},
      {"\"x\"=word", 4, "data neither in quotes", true},
      {"\"x=\"a\"", 4, "no \"=\"", true},
      {"\"" + std::string(16384, 'n') + "\"=\"a\"", 4, "longer than 16383", true},
      // A stray backslash: the next line is read on its own, not swallowed.
      {"\"x\"=hex:41,\\", 4, "next line holds no bytes", true},
      {"\"x\"=hex:41,\\\n  4g", 5, "not hex digits", true},
      {"REGEDIT4", 4, "second header", true},
      // A section that names no key leaves its values nowhere: they go with it.
      {"[HKLM\\M", 4, "without its closing", false},
      {"[]", 4, "without a key name", false},
      {"[HKLM\\" + std::string(256, 'k') + "]", 4, "longer than 255", false},
      {"[" + deep + "]", 4, "deeper than 512", false},
  };
  for (const Case& c : cases) {
    IRegistryFile file;
    ASSERT_TRUE(file.parse("REGEDIT4\n[HKLM\\K]\n\"before\"=\"1\"\n" + c.lines +
                           "\n\"after\"=\"2\"\n[HKLM\\L]\n\"other\"=\"3\"\n"));
    const std::string where = c.lines.substr(0, 40);
    EXPECT_EQ(std::string("1") + '\0', dataOf(file, "HKLM\\K", "before")) << where;
    EXPECT_EQ(c.restOfKey ? std::string("2") + '\0' : "<no value>", dataOf(file, "HKLM\\K", "after")) << where;
    EXPECT_EQ(std::string("3") + '\0', dataOf(file, "HKLM\\L", "other")) << where;
    if (c.line == 0) {
      EXPECT_EQ("", problemsOf(file)) << where;
      if (c.lines[0] == '"') {
        EXPECT_NE("<no value>", dataOf(file, "HKLM\\K", "x")) << where;
      }
      continue;
    }
    ASSERT_EQ(1ul, file.problemCount()) << where << "\n" << problemsOf(file);
    EXPECT_EQ(c.line, file.problems()[0].line) << where;
    EXPECT_NE(std::string::npos, file.problems()[0].what.find(c.what)) << where << ": " << problemsOf(file);
    EXPECT_EQ("<no value>", dataOf(file, "HKLM\\K", "x")) << where;
  }

  // Outside any section, and past the end of the file.
  IRegistryFile before;
  ASSERT_TRUE(before.parse("REGEDIT4\n\"v\"=\"x\"\n[HKLM\\K]\n\"w\"=\"y\"\n"));
  EXPECT_EQ("2: value before the first section\n", problemsOf(before));
  EXPECT_EQ(std::string("y") + '\0', dataOf(before, "HKLM\\K", "w"));
  IRegistryFile cut;
  ASSERT_TRUE(cut.parse("REGEDIT4\n[HKLM\\K]\n\"a\"=\"1\"\n\"v\"=hex:41,\\"));
  EXPECT_EQ("4: hex value that goes on past the end of the file\n", problemsOf(cut));
  EXPECT_EQ(std::string("1") + '\0', dataOf(cut, "HKLM\\K", "a"));
}

TEST(IRegistryFile, KeepsTheFirstProblemsAndCountsTheRest) {
  std::string text = "REGEDIT4\n[HKLM\\K]\n";
  for (int i = 0; i < 1000; ++i) text += "bad\n\"v" + std::to_string(i) + "\"=dword:1\n";
  IRegistryFile file;
  ASSERT_TRUE(file.parse(text));
  EXPECT_EQ(1000ul, file.problemCount());
  ASSERT_EQ(IRegistryFile::problemsKept, file.problems().size());
  EXPECT_EQ(3ul, file.problems()[0].line);
  EXPECT_EQ(21ul, file.problems()[9].line);
  EXPECT_EQ(2001ul, file.lastProblemLine());
  EXPECT_EQ(std::string("\1\0\0\0", 4), dataOf(file, "HKLM\\K", "v999"));
}

TEST(IRegistryFile, HoldsAFewBytesPerByteOfTheFile) {
  // What a file costs beyond its own bytes: the records and index of its keys and values.
  // Forty thousand keys as an installer writes them, and the densest form: tiny values.
  std::string keys = "REGEDIT4\n";
  for (int i = 0; i < 40000; ++i) {
    keys += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\Product " + std::to_string(i) + "]\n"
            "\"RuntimeLib\"=\"/opt/obel/" + std::to_string(i) + "/lib/server/libjvm.so\"\n";
  }
  std::string values = "REGEDIT4\n[HKLM\\K]\n";
  for (int i = 0; i < 200000; ++i) values += "\"" + std::to_string(i) + "\"=\"\"\n";
  for (const std::string& text : {keys, values}) {
    IRegistryFile file;
    ASSERT_TRUE(file.parse(text));
    EXPECT_EQ("", problemsOf(file));
    EXPECT_LT(file.bytesHeld(), 8 * text.size()) << text.size() << " bytes of file";
  }
}

#ifndef _WIN32

namespace fs = std::filesystem;

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
  // Replaces the file as installers do, by renaming a new one over it.
  void write(const std::string& text, const std::string& path = std::string()) {
    const std::string target = path.empty() ? path_ : path;
    std::ofstream(target + ".new", std::ios::binary) << text;
    fs::rename(target + ".new", target);
  }
  static std::string valueOf(const char* key, const char* name) {
    IRegistry::Key k = nullptr;
    if (IRegistry::openKey(key, &k) != IRegistry::success) return "<no key>";
    IRegistry::ValueEntry entry = {name, 0, nullptr, 0};
    char buffer[64];
    unsigned long size = sizeof buffer;
    long answer = IRegistry::queryMultipleValues(k, &entry, 1, buffer, &size);
    IRegistry::closeKey(k);
    return answer == IRegistry::success ? std::string(buffer, size) : "<no value>";
  }

  std::string path_, old_;
  bool hadOld_ = false;
  RecordingLogger log_;
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
  EXPECT_TRUE(log_.records.empty()) << log_.all();
}

TEST_F(PosixRegistry, OpenFailsForMissingKeysAndFilesItCannotUse) {
  IRegistry::Key key = nullptr;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key)); // no file yet
  EXPECT_EQ(nullptr, key);
  EXPECT_TRUE(log_.records.empty()) << "no file is the state before installation: " << log_.all();

  write("REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\K]\n\"A\"=\"abc\"\n");
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key)); // other root

  write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\Sub]\n");
  ASSERT_EQ(IRegistry::success, IRegistry::openKey("SOFTWARE\\K", &key)); // a parent exists
  IRegistry::ValueEntry entry = {"A", 0, nullptr, 0};
  unsigned long size = 0;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::queryMultipleValues(key, &entry, 1, nullptr, &size));
  IRegistry::closeKey(key);
  EXPECT_TRUE(log_.records.empty()) << log_.all();

  // Files it cannot use answer as if they had no key, and say why once.
  write("not a registry file\n");
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key));
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key));
  ASSERT_EQ(1u, log_.records.size()) << log_.all();
  EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ + "\" is not used, no key is read from it: "
                             "it does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\""))
      << log_.all();

  setenv("IREGISTRY", ::testing::TempDir().c_str(), 1);
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key));
  EXPECT_EQ(1u, log_.countOf("it is a directory")) << log_.all();
  EXPECT_EQ(IRegistry::invalidHandle, IRegistry::closeKey(nullptr));
  EXPECT_EQ(IRegistry::invalidParameter, IRegistry::openKey("SOFTWARE\\K", nullptr));
}

TEST_F(PosixRegistry, ReadsEachVersionOfTheFileOnce) {
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"1\"\nbad line\n");
  EXPECT_EQ(std::string("1") + '\0', valueOf("SOFTWARE\\K", "A"));
  EXPECT_EQ(std::string("1") + '\0', valueOf("SOFTWARE\\K", "A"));
  EXPECT_EQ(std::string("1") + '\0', valueOf("SOFTWARE\\K", "A"));
  ASSERT_EQ(1u, log_.records.size()) << log_.all();
  EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ + "\", line 4: neither a section, a value "
                             "nor a comment: \"bad line\"; the line is skipped"))
      << log_.all();

  // A new file under the name is read again, and so is one rewritten to another size.
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"2\"\nbad line\n");
  EXPECT_EQ(std::string("2") + '\0', valueOf("SOFTWARE\\K", "A"));
  std::ofstream(path_, std::ios::binary) << "REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"three\"\n";
  EXPECT_EQ(std::string("three") + '\0', valueOf("SOFTWARE\\K", "A"));
  EXPECT_EQ(2u, log_.records.size()) << log_.all();

  // Another name is another file.
  const std::string other = ::testing::TempDir() + "iregistry_test_other.reg";
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"other\"\n", other);
  setenv("IREGISTRY", other.c_str(), 1);
  EXPECT_EQ(std::string("other") + '\0', valueOf("SOFTWARE\\K", "A"));
  setenv("IREGISTRY", path_.c_str(), 1);
  EXPECT_EQ(std::string("three") + '\0', valueOf("SOFTWARE\\K", "A"));
  std::remove(other.c_str());
}

TEST_F(PosixRegistry, AnOpenKeyKeepsTheFileItWasFoundIn) {
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"old\"\n");
  IRegistry::Key key = nullptr;
  ASSERT_EQ(IRegistry::success, IRegistry::openKey("SOFTWARE\\K", &key));
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"new\"\n");
  EXPECT_EQ(std::string("new") + '\0', valueOf("SOFTWARE\\K", "A"));
  IRegistry::ValueEntry entry = {"A", 0, nullptr, 0};
  char buffer[4];
  unsigned long size = sizeof buffer;
  ASSERT_EQ(IRegistry::success, IRegistry::queryMultipleValues(key, &entry, 1, buffer, &size));
  EXPECT_EQ(std::string("old") + '\0', std::string(buffer, size));
  IRegistry::closeKey(key);
}

TEST_F(PosixRegistry, AFileItCannotReachIsReported) {
  // A name that cannot be looked at (here a loop of symbolic links) is not a missing file.
  const std::string loop = ::testing::TempDir() + "iregistry_test_loop.reg";
  fs::remove(loop);
  fs::create_symlink(loop, loop);
  setenv("IREGISTRY", loop.c_str(), 1);
  IRegistry::Key key = nullptr;
  EXPECT_EQ(IRegistry::fileNotFound, IRegistry::openKey("SOFTWARE\\K", &key));
  EXPECT_EQ(1u, log_.countOf("registry file \"" + loop + "\" is not used, no key is read from it: "
                             "it cannot be looked at: "))
      << log_.all();
  fs::remove(loop);

  // A file it may not read is denied, as the registry denies a key.
  setenv("IREGISTRY", path_.c_str(), 1);
  write("REGEDIT4\n[HKLM\\SOFTWARE\\K]\n\"A\"=\"1\"\n");
  fs::permissions(path_, fs::perms::none);
  // (Where the tests run as root, permissions do not stop a read.)
  if (!std::ifstream(path_).is_open()) {
    EXPECT_EQ(IRegistry::accessDenied, IRegistry::openKey("SOFTWARE\\K", &key));
    EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ + "\" is not used, no key is read from it: "
                               "it cannot be opened: "))
        << log_.all();
  }
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
}

#endif

} // namespace
