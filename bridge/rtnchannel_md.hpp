// What each platform's build of lanyard must provide for the return-code channel.
#ifndef LANYARD_RTNCHANNEL_MD_HPP
#define LANYARD_RTNCHANNEL_MD_HPP

class IWindow;

namespace lanyard {

// Posts the command event with first parameter commandId (and 0) to window, which belongs to the
// hosting program: its object was made by that program's copy of the class library, not this
// library's. A failure raises the class library's windowing error in this module.
void postCommandToHostWindow(const IWindow& window, unsigned long commandId);

} // namespace lanyard

#endif
