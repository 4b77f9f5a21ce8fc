// The toolkit's event numbers: the Windows message and system-command numbers, which posted
// events and handlers carry on every platform.
#ifndef IEVENTNUMBERS_HPP
#define IEVENTNUMBERS_HPP

namespace IEventNumber {

constexpr unsigned long command = 0x0111;       // WM_COMMAND: a command, its id in the low word
constexpr unsigned long systemCommand = 0x0112; // WM_SYSCOMMAND: a system-menu command
constexpr unsigned long close = 0x0010;         // WM_CLOSE: a window asked to close
constexpr unsigned long user = 0x0400;          // WM_USER: the first number free for programs
constexpr unsigned long closeCommand = 0xF060;  // SC_CLOSE: the system command of the close box

} // namespace IEventNumber

#endif
