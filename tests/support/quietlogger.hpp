// A logger that keeps the class library's exception records out of the test output while it lives.
#ifndef QUIETLOGGER_HPP
#define QUIETLOGGER_HPP

#include "iexcept.hpp"

class QuietLogger : public IExceptionLogger {
public:
  QuietLogger() : previous_(IException::setLogger(this)) {}
  ~QuietLogger() override { IException::setLogger(previous_); }
  QuietLogger(const QuietLogger&) = delete;
  QuietLogger& operator=(const QuietLogger&) = delete;
  void writeLine(const char*) override {}

private:
  IExceptionLogger* previous_;
};

#endif
