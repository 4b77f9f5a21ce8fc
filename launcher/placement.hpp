// The main window's placement: its client area at the desktop's middle, then the frame moved
// so that its centre is the desktop's.
#ifndef PLACEMENT_HPP
#define PLACEMENT_HPP

#include "igeometry.hpp"

namespace Placement {

// The client rectangle that the frame is first sized to: from the desktop's half width and
// half height (truncated), as large as the client window's minimum size.
IRectangle initialClientRect(const ISize& desktop, const ISize& clientMinimum);

// The frame moved (not resized) so that its centre is the desktop's; each centre is the
// midpoint of its edges truncated toward zero. A frame larger than the desktop is not clamped.
IRectangle centred(const IRectangle& frame, const IRectangle& desktop);

} // namespace Placement

#endif
