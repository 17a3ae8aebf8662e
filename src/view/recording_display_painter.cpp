// The recording display: the recording time and the unencoded-buffer fill, with
// their labels, and the Turbo Grabber's notice.
#include <algorithm>
#include <cstdio>

#include "audio/recording_engine.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "view/recording_texts.h"
#include "view/view_painter.h"

namespace quillane {

void paintRecordingDisplay(const Session& session, const GraphGeometry& geometry, Canvas& canvas) {
  const Settings& set = session.settings;
  const int s2 = std::min(5 * geometry.height / 10, 90);
  const int halfWidth = geometry.width / 2;
  const Rgb labels = rgbFromSetting(set.rgb_mpeg);
  const Rgb values = rgbFromSetting(set.rgb_cursor);

  canvas.text(10, 6, uiText(session.text, ui::kStatusRecordingTime), s2 / 3, labels);
  canvas.text(halfWidth, 6, uiText(session.text, ui::kStatusUnencodedBuffer), s2 / 3, labels);
  if (session.recording.turboGrabber)
    canvas.text(10, s2 + 30, uiText(session.text, ui::kMenuTurboGrabber) + " !!", s2 / 3,
                rgbFromSetting(set.rgb_selection));

  canvas.text(10, s2 / 3 + 10, recordingTimeText(session), s2, values);
  char fill[16];
  std::snprintf(fill, sizeof fill, "%d %%", unencodedPercent(session.recording.pendingRecordBuffers));
  canvas.text(halfWidth, s2 / 3 + 10, fill, s2, values);
}

}  // namespace quillane
