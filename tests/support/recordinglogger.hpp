// A logger that keeps the class library's exception records, one text per record, while it lives.
#ifndef RECORDINGLOGGER_HPP
#define RECORDINGLOGGER_HPP

#include <string>
#include <vector>

#include "iexcept.hpp"

class RecordingLogger : public IExceptionLogger {
public:
  RecordingLogger() : previous_(IException::setLogger(this)) {}
  ~RecordingLogger() override { IException::setLogger(previous_); }
  RecordingLogger(const RecordingLogger&) = delete;
  RecordingLogger& operator=(const RecordingLogger&) = delete;

  void writeLine(const char* line) override { open_ += std::string(line) + "\n"; }
  void endRecord() override {
    records.push_back(open_);
    open_.clear();
  }

  // The records that contain text.
  std::size_t countOf(const std::string& text) const {
    std::size_t n = 0;
    for (const std::string& r : records) n += r.find(text) != std::string::npos;
    return n;
  }
  std::string all() const {
    std::string out;
    for (const std::string& r : records) out += r + "----\n";
    return out;
  }

  std::vector<std::string> records;

private:
  IExceptionLogger* previous_;
  std::string open_;
};

#endif
