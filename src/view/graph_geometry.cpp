#include "view/graph_geometry.h"

#include <algorithm>

namespace quillane {

GraphGeometry computeGraphGeometry(int32_t width, int32_t height, int zoomlevel) {
  GraphGeometry g;
  g.width = std::max<int32_t>(width, 0);
  g.height = std::max<int32_t>(height, 0);
  const int zoom = std::max(zoomlevel, 1);
  g.graphBottom = static_cast<uint16_t>(9 * static_cast<int64_t>(g.height) / 10);
  g.levelBottom = static_cast<uint16_t>(g.graphBottom > 0 ? g.graphBottom - 1 : 0);
  g.meterTop = static_cast<uint16_t>(g.graphBottom / 16);
  g.meterHeight = static_cast<uint16_t>(g.graphBottom - 2 * g.meterTop);
  g.meterBarWidth = static_cast<uint16_t>(g.meterHeight / 6);
  g.meterBarStep = static_cast<uint16_t>(g.meterBarWidth + 2);
  g.meterLeft = static_cast<uint16_t>(g.width - 10 - 2 * g.meterBarWidth);
  const int64_t columns = 2 * static_cast<int64_t>(g.width) / zoom;
  g.graphColumns = static_cast<uint16_t>(std::min<int64_t>(columns, kLevelColumnCount - 1));
  return g;
}

}  // namespace quillane
