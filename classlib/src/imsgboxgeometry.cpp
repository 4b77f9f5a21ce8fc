// The layout of a message box that a backend draws itself: the text wrapped to the screen, and
// where the icon, the text and the buttons go. Pure rules: the backend measures and draws.
#include "imsgboxlogic.hpp"

#include <algorithm>

#include "iutf8.hpp"
#include "iwindow.hpp"
#include "iwindowdriver.hpp"

namespace IMessageBoxLogic {

namespace {

using M = BoxMeasures;

} // namespace

long wrapWidth(long screenWidth) {
  return std::max(M::textMinWidth, screenWidth * 5 / 8 - M::textWidthLess);
}

std::size_t maxLines(long screenHeight, long lineHeight) {
  return static_cast<std::size_t>(
      std::max(1L, (screenHeight - M::screenHeightLess) / std::max(1L, lineHeight)));
}

std::vector<std::string> wrap(const std::string& text, long width, std::size_t maxLines,
                              const Measure& measure, const std::string& ellipsis) {
  std::vector<std::string> result;
  const long blank = measure(" ", 0, 1);
  // One line more than is kept tells that the text goes on.
  auto full = [&] { return result.size() > maxLines; };
  std::size_t start = 0;
  while (!full()) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::string current;
    long currentWidth = 0;
    for (std::size_t pos = 0; pos <= line.size() && !full();) {
      const std::size_t space = line.find(' ', pos);
      const std::size_t wordEnd = space == std::string::npos ? line.size() : space;
      long wordWidth = measure(line, pos, wordEnd);
      const long candidate = current.empty() ? wordWidth : currentWidth + blank + wordWidth;
      if (candidate <= width || (current.empty() && wordEnd == pos)) {
        if (!current.empty())
          current += ' ';
        current.append(line, pos, wordEnd - pos);
        currentWidth = candidate;
      } else {
        if (!current.empty())
          result.push_back(current);
        // An over-wide word is cut into pieces that fit, never inside a character.
        std::size_t from = pos;
        while (wordWidth > width && wordEnd - from > 1 && !full()) {
          const std::size_t fits = IUtf8::fittingLength(line, from, width, measure);
          result.push_back(line.substr(from, fits));
          from += fits;
          wordWidth = measure(line, from, wordEnd);
        }
        current = line.substr(from, wordEnd - from);
        currentWidth = wordWidth;
      }
      if (space == std::string::npos)
        break;
      pos = space + 1;
    }
    result.push_back(current);
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  if (result.size() > maxLines) {
    result.resize(maxLines);
    result.back() += ellipsis;
  }
  return result;
}

BoxGeometry boxGeometry(const IRectangle& screen, const BoxContent& content) {
  const long textWidth = std::max(1L, content.textWidth);
  const long textHeight = std::max(1L, static_cast<long>(content.lineCount) * content.lineHeight);
  const long buttonWidth = std::max(M::buttonMinWidth, content.labelWidth + M::labelRoomX);
  const long buttonHeight = std::max(M::buttonMinHeight, content.labelHeight + M::labelRoomY);
  const long count = static_cast<long>(content.buttonCount);
  const long rowWidth = count > 0 ? count * buttonWidth + (count - 1) * M::buttonGap : 0;
  const long iconWidth = content.hasIcon ? M::iconSize + M::iconGap : 0;
  const long contentHeight = std::max(content.hasIcon ? M::iconSize : 0L, textHeight);
  const long width = std::max(std::max(iconWidth + textWidth, rowWidth) + 2 * M::margin, M::boxMinWidth);
  const long height = M::margin + contentHeight + M::margin + buttonHeight + M::margin;

  BoxGeometry geometry;
  geometry.box = IRectangle(IPoint(screen.left() + (screen.width() - width) / 2,
                                   screen.top() + (screen.height() - height) / 3),
                            ISize(width, height));
  if (content.hasIcon)
    geometry.icon = IRectangle(IPoint(M::margin, M::margin), ISize(M::iconSize, M::iconSize));
  // The text stands beside the icon, centred on its height when it is the shorter.
  geometry.text = IRectangle(IPoint(M::margin + iconWidth, M::margin + (contentHeight - textHeight) / 2),
                             ISize(textWidth, textHeight));
  long x = (width - rowWidth) / 2;
  const long y = height - M::margin - buttonHeight;
  for (long i = 0; i < count; ++i, x += buttonWidth + M::buttonGap)
    geometry.buttons.push_back(IRectangle(IPoint(x, y), ISize(buttonWidth, buttonHeight)));
  return geometry;
}

IWindow* owningWindow(IWindow* owner) {
  if (owner == nullptr || !owner->handle().isValid() || owner == IWindow::desktopWindow() ||
      IWindowPrivate::isObjectWindow(owner))
    return nullptr;
  // A window that merely wraps the desktop's handle is the desktop too.
  const IWindowHandle desktop = IWindow::desktopWindow()->handle();
  return desktop.isValid() && owner->handle() == desktop ? nullptr : owner;
}

} // namespace IMessageBoxLogic
