// IRegistryFile: the registry editor's export format, parsed into keys and their values.
#ifndef IREGISTRYFILE_HPP
#define IREGISTRYFILE_HPP

#include <string>
#include <vector>

// The file is read the way the registry editor imports it into an empty registry: sections
// in order, later values replacing earlier ones, "[-KEY]" and "name"=- removing. Key and value
// names are compared without case (ASCII letters), as the registry does.
class IRegistryFile {
public:
  struct Value {
    std::string name;     // "" for the default value ("@")
    unsigned long type;   // IRegistry::Type
    std::string data;     // the bytes a narrow-character read returns
  };
  struct Key {
    std::string path;     // full path with its root, "HKEY_LOCAL_MACHINE\..." for HKLM
    std::vector<Value> values;
  };

  // Parses the bytes of a file ("Windows Registry Editor Version 5.00" or "REGEDIT4", in
  // UTF-8 or, with its byte order mark, UTF-16LE). False when the text is not in the format;
  // errorLine then holds the 1-based line at fault.
  bool parse(const std::string& bytes);
  unsigned long errorLine() const noexcept { return errorLine_; }

  // Whether the key exists: written as a section, or the parent of one.
  bool hasKey(const std::string& path) const;
  // The section of exactly this key; null when no values were written for it.
  const Key* findKey(const std::string& path) const;
  static const Value* findValue(const Key& key, const std::string& name);

  // path with its root written out ("HKLM\X" becomes "HKEY_LOCAL_MACHINE\X").
  static std::string canonicalPath(const std::string& path);
  static bool sameName(const std::string& a, const std::string& b);

  const std::vector<Key>& keys() const noexcept { return keys_; }

private:
  Key& section(const std::string& path);
  void removeKey(const std::string& path);

  std::vector<Key> keys_;
  unsigned long errorLine_ = 0;
};

#endif
