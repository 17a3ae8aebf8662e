#pragma once

#include "session/session.h"
#include "view/canvas.h"
#include "view/graph_geometry.h"
#include "view/level_columns.h"

namespace quillane {

// Paints the whole main view into the back buffer: the background, then with a
// file open the level graph round the cursor (rebuilding graph's columns), its
// labels, the overview strip and the level meter; while a recording is set up the
// recording display and the meter. Otherwise the view is the plain background.
void paintView(Session& session, const GraphGeometry& geometry, LevelGraph& graph, Canvas& canvas);

// The parts, in the order paintView draws them; graph's columns must be built.
void paintLevelGraph(const Session& session, const GraphGeometry& geometry, const LevelGraph& graph,
                     Canvas& canvas);
void paintGraphLabels(const Session& session, const GraphGeometry& geometry, Canvas& canvas);
void paintOverviewStrip(const Session& session, const GraphGeometry& geometry, Canvas& canvas);
void paintLevelMeter(const Session& session, const GraphGeometry& geometry, Canvas& canvas);
void paintRecordingDisplay(const Session& session, const GraphGeometry& geometry, Canvas& canvas);

}  // namespace quillane
