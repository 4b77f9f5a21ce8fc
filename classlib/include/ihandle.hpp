// The platform's handles as values (windows, bitmaps, pointers, accelerator tables) and the
// words of an event.
#ifndef IHANDLE_HPP
#define IHANDLE_HPP

#include <cstdint>

// One word of an event, with its low and high 16-bit halves (a WM_COMMAND's command id is the
// low half of its first parameter).
class IEventData {
public:
  IEventData(unsigned long value = 0) noexcept : value_(static_cast<std::uintptr_t>(value)) {}
  IEventData(std::uint16_t low, std::uint16_t high) noexcept
      : value_(static_cast<std::uintptr_t>(low) | (static_cast<std::uintptr_t>(high) << 16)) {}
  std::uintptr_t asUnsignedLong() const noexcept { return value_; }
  std::uint16_t lowNumber() const noexcept { return static_cast<std::uint16_t>(value_ & 0xFFFF); }
  std::uint16_t highNumber() const noexcept { return static_cast<std::uint16_t>((value_ >> 16) & 0xFFFF); }

private:
  std::uintptr_t value_;
};
typedef IEventData IEventParameter1;
typedef IEventData IEventParameter2;

// A platform handle of some kind as a word; 0 for none.
template <class Tag>
class IHandleOf {
public:
  typedef std::uintptr_t Value;
  IHandleOf(Value value = 0) noexcept : value_(value) {}
  Value asUnsigned() const noexcept { return value_; }
  bool isValid() const noexcept { return value_ != 0; }
  bool operator==(const IHandleOf& other) const noexcept { return value_ == other.value_; }
  bool operator!=(const IHandleOf& other) const noexcept { return value_ != other.value_; }

private:
  Value value_;
};

// A bitmap: an HBITMAP on Windows; on POSIX the library's decoded image of a bitmap resource.
typedef IHandleOf<struct IBitmapTag> IBitmapHandle;
// An icon or mouse pointer: an HICON/HCURSOR on Windows; on POSIX the library's decoded image
// of an icon resource (the X11 backend makes the pointer from it). 0 is the platform default.
typedef IHandleOf<struct IPointerTag> IPointerHandle;
// An accelerator table: an HACCEL on Windows; on POSIX the library's decoded table.
typedef IHandleOf<struct IAccelTblTag> IAccelTblHandle;

// The platform's window handle: an HWND on Windows, an X window id on X11; 0 for none.
class IWindowHandle : public IHandleOf<struct IWindowTag> {
public:
  IWindowHandle(Value value = 0) noexcept : IHandleOf(value) {}

  // Queues an event (a Windows message number: 0x0111 for a command) for the window's thread
  // and returns at once; safe from any thread. A failure (no such window, a full queue, no
  // display) raises the windowing error for "WinPostMsg" (IInvalidParameter, recoverable).
  void postEvent(unsigned long eventId, const IEventParameter1& p1 = 0,
                 const IEventParameter2& p2 = 0) const;
};

#endif
