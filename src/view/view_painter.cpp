// The paint sequence of the main view. Everything is painted from scratch into
// the back buffer on every call; nothing is kept between paints except the
// column table's storage.
#include "view/view_painter.h"

namespace quillane {

void paintView(Session& session, const GraphGeometry& geometry, LevelGraph& graph, Canvas& canvas) {
  canvas.fill(rgbFromSetting(session.settings.rgb_background));
  if (session.recordInitialised) {
    paintRecordingDisplay(session, geometry, canvas);
    paintLevelMeter(session, geometry, canvas);
  } else if (session.stream.isOpen()) {
    buildLevelColumns(session, geometry, graph);
    paintLevelGraph(session, geometry, graph, canvas);
    paintGraphLabels(session, geometry, canvas);
    paintOverviewStrip(session, geometry, canvas);
    paintLevelMeter(session, geometry, canvas);
  }
}

}  // namespace quillane
