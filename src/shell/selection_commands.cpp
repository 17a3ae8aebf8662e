#include "edit/edit_model.h"
#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "shell/command_stages.h"
#include "shell/dispatch_command.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

// The frame steps of the selection's ends: back one and a half average frames, or
// on by half of one, and findFrame (searching forward) settles on a frame start.
constexpr float kEndBackFactor = 1.5f;
constexpr float kEndForwardFactor = 0.5f;

void refuse(Session& session, Host& host, int textId) {
  host.messageBox(uiText(session.text, textId), uiText(session.text, ui::kMsgNotPossible), MessageIcon::Error,
                  MessageButtons::Ok, MessageAnswer::Ok);
}

bool selectionEmpty(const EditRangeTable& edits) { return edits.selection.beg == edits.selection.end; }

// The frame at offset + factor average frames; the float product is truncated
// toward zero.
int64_t frameNear(AudioStream& stream, int64_t offset, float factor) {
  const double target = static_cast<double>(offset) + static_cast<double>(factor * stream.avgFrameSize);
  return findCurrentFrame(stream, static_cast<int64_t>(target));
}

// A selection end moves only to a frame that was found: -1 would leave half a
// selection behind.
void moveSelectionBegin(Session& session, int64_t frame) {
  if (frame >= 0) setSelectionBegin(session.edits, frame);
}
void moveSelectionEnd(Session& session, int64_t frame) {
  if (frame >= 0) setSelectionEnd(session.edits, frame);
}

// Gain and normalize rewrite global_gain, which Layer II does not have, and break
// the CRC of protected frames, which the user may accept.
bool gainCheck(Session& session, Host& host) {
  const FrameHeader& header = session.stream.currentHeader;
  if (header.layer == 2) {
    refuse(session, host, ui::kMsgNoGainOnLayer2);
    return false;
  }
  if (header.hasCrc) {
    const MessageAnswer answer = host.messageBox(uiText(session.text, ui::kMsgCrcQuestion),
                                                 uiText(session.text, ui::kMsgWarning), MessageIcon::Question,
                                                 MessageButtons::YesNo, MessageAnswer::No);
    return answer == MessageAnswer::Yes;
  }
  return true;
}

// Normalize and pause detection work on the selection, or on the whole audio
// when there is none.
void selectAllWhenEmpty(Session& session, ShellHost& host) {
  if (!selectionEmpty(session.edits)) return;
  selectAll(session.edits, session.stream);
  host.refreshView(kRefreshSelection);
}

// The dialogs that add, change or name ranges: the "&List" menu follows them.
void runRangeDialog(ShellHost& host, int dialogId) {
  host.runDialog(dialogId);
  host.rebuildRangeMenu();
}

}  // namespace

void runSelectionCommand(Session& session, ShellHost& host, int id, int notification) {
  EditRangeTable& edits = session.edits;
  AudioStream& stream = session.stream;
  switch (id) {
    case cmd::kSetBegin: {
      const int64_t frame = findCurrentFrame(stream, currentPosition(session));
      if (frame >= 0) pushSelectionUndo(session.selectionUndo, edits);
      moveSelectionBegin(session, frame);
      break;
    }
    case cmd::kSetEnd: {
      const int64_t frame = findCurrentFrame(stream, currentPosition(session));
      if (frame >= 0) pushSelectionUndo(session.selectionUndo, edits);
      moveSelectionEnd(session, frame);
      break;
    }
    case cmd::kSelectionFieldFocus:
      // The field shows an editable selection as soon as it has the focus; its
      // other notices (every typed character) leave the model alone.
      if (notification != cmd::kNotifySetFocus || edits.selection.beg >= 0) return;
      moveSelectionBegin(session, findCurrentFrame(stream, currentPosition(session)));
      break;

    case cmd::kCut:
      if (edits.selection.beg >= 0) {
        edits.selection.type = kRangeCut;
        if (addRangeFromSelection(edits, session.selectionUndo, true))
          host.rebuildRangeMenu();
        else
          refuse(session, host, ui::kMsgSelectionInvalid);
      }
      break;
    case cmd::kGain:
      if (!(edits.selection.beg < edits.selection.end)) return;
      if (!gainCheck(session, host)) return;
      runRangeDialog(host, dlg::kGain);
      break;
    case cmd::kEditRange:
      if (takeBackCurrentRange(edits, session.selectionUndo))
        host.rebuildRangeMenu();
      else
        refuse(session, host, ui::kMsgNoRanges);
      break;

    case cmd::kUndoSelection:
      if (!undoSelectionChange(session.selectionUndo, edits)) host.beep();
      break;
    case cmd::kRemoveSelection: clearSelection(edits); break;
    case cmd::kSelectAll: selectAll(edits, stream); break;

    case cmd::kBeginBackOneFrame:
      moveSelectionBegin(session, frameNear(stream, edits.selection.beg, -kEndBackFactor));
      break;
    case cmd::kBeginForwardOneFrame:
      moveSelectionBegin(session, frameNear(stream, edits.selection.beg, kEndForwardFactor));
      break;
    case cmd::kEndBackOneFrame:
      moveSelectionEnd(session, frameNear(stream, edits.selection.end, -kEndBackFactor));
      break;
    case cmd::kEndForwardOneFrame:
      moveSelectionEnd(session, frameNear(stream, edits.selection.end, kEndForwardFactor));
      break;
    // Both ends: the two single steps, each a command of its own with its refresh.
    case cmd::kBothBackOneFrame:
      dispatchCommand(session, host, cmd::kBeginBackOneFrame);
      dispatchCommand(session, host, cmd::kEndBackOneFrame);
      return;
    case cmd::kBothForwardOneFrame:
      dispatchCommand(session, host, cmd::kBeginForwardOneFrame);
      dispatchCommand(session, host, cmd::kEndForwardOneFrame);
      return;

    case cmd::kNormalize:
      if (!requireIdle(session, host) || !gainCheck(session, host)) return;
      selectAllWhenEmpty(session, host);
      runRangeDialog(host, dlg::kNormalize);
      break;
    case cmd::kPauseDetection:
      if (!requireIdle(session, host)) return;
      selectAllWhenEmpty(session, host);
      runRangeDialog(host, dlg::kPauseDetection);
      break;

    // The dialogs below refresh the window themselves.
    case cmd::kFileInfo:
      host.runDialog(dlg::kFileInfo);
      return;
    case cmd::kNamesForCue:
      if (edits.currentRange < 0) {
        refuse(session, host, ui::kMsgNoActiveRange);
        return;
      }
      runRangeDialog(host, dlg::kNames);
      return;
    case cmd::kNamesForCueSheet:
      // Without a current range the names dialog edits the sheet's title and artist.
      edits.currentRange = -1;
      runRangeDialog(host, dlg::kNames);
      return;
    case cmd::kAutoCue:
      runRangeDialog(host, dlg::kAutoCue);
      return;

    default:
      return;
  }
  host.refreshView(kRefreshSelection);
}

}  // namespace quillane
