#include "velpanel/core/panel_layout.h"

#include <algorithm>

namespace velpanel {

Extent PanelWindowSize(Extent content, const FrameMetrics& m, bool newShell) {
  Extent size{content.width + 10 + 2 * m.cxBorder, content.height + 6};
  if (newShell) {
    size.width += 2 * m.cxDlgFrame;
    size.height += 2 * m.cyDlgFrame + m.cySmallCaption;
  } else {
    int caption = m.smallCaptionImageHeight > 0 ? m.smallCaptionImageHeight : m.cyCaption;
    size.height += 2 * m.cyBorder + caption;
  }
  return size;
}

Position PlacePanel(Position stored, Extent screen) {
  Position place = stored;
  if (place.left > screen.width) place.left = screen.width - 150;
  if (place.top > screen.height) place.top = screen.height - 100;
  return place;
}

Position PlacePanel(Position stored, Extent window, const Desktop& desktop) {
  if (desktop.monitorCount <= 1) return PlacePanel(stored, desktop.screen);
  const Area& work = desktop.workArea;
  Position place = stored;
  place.left = std::max(std::min(place.left, work.right - window.width), work.left);
  place.top = std::max(std::min(place.top, work.bottom - window.height), work.top);
  return place;
}

}  // namespace velpanel
