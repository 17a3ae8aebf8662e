// The names, Auto Cue and gain dialogs' labels and the gain dialog's working copy.
#include <gtest/gtest.h>

#include <string>

#include "edit/auto_cue.h"
#include "edit/edit_model.h"
#include "edit/gain_dialog_model.h"
#include "edit/names_dialog_model.h"
#include "session/session.h"
#include "settings/ui_text_ids.h"
#include "support/scripted_host.h"

namespace quillane {
namespace {

TEST(RangeDialogLabels, OwnTextsUntilALanguageFileSetsTheEntries) {
  UiText t;
  setBuiltInTexts(t);
  const GainDialogLabels gain = gainDialogLabels(t);
  EXPECT_EQ(gain.caption, "Change gain of selection relatively...");
  EXPECT_EQ(gain.fadeIn, "Fade &in");
  EXPECT_EQ(gain.fadeOut, "Fade o&ut");
  EXPECT_EQ(gain.flat, "&Flat");
  EXPECT_EQ(gain.lock, "&Lock sliders");
  EXPECT_EQ(gain.ok, "&OK");
  EXPECT_EQ(gain.cancel, "&Cancel");
  const NamesDialogLabels names = namesDialogLabels(t);
  EXPECT_EQ(names.artist, "Artist");
  EXPECT_EQ(names.title, "Title");
  const AutoCueDialogLabels autoCue = autoCueDialogLabels(t);
  EXPECT_EQ(autoCue.caption, "Auto Cue");
  EXPECT_EQ(autoCue.every, "Set a Cue every (min:sec)");

  // Entries as a language file's lines set them (dlg0, dlg1, dlg23, dlg24, ...).
  const std::pair<int, const char*> loaded[] = {
      {240, "&Ja"},        {241, "&Nein"},        {263, "Titel"},           {264, "Interpret"},
      {280, "Lautstärke"}, {283, "Ein&blenden"},  {284, "&Ausblenden"},     {285, "&Gleich"},
      {286, "&Koppeln"},   {304, "Auto-Cue"},     {305, "Cue alle (min:s)"}};
  for (const auto& [index, text] : loaded) {
    t.text[index] = text;
    t.loaded[index] = true;
  }
  const GainDialogLabels gainDe = gainDialogLabels(t);
  EXPECT_EQ(gainDe.caption, "Lautstärke");
  EXPECT_EQ(gainDe.fadeIn, "Ein&blenden");
  EXPECT_EQ(gainDe.fadeOut, "&Ausblenden");
  EXPECT_EQ(gainDe.flat, "&Gleich");
  EXPECT_EQ(gainDe.lock, "&Koppeln");
  EXPECT_EQ(gainDe.ok, "&Ja");
  EXPECT_EQ(gainDe.cancel, "&Nein");
  const NamesDialogLabels namesDe = namesDialogLabels(t);
  EXPECT_EQ(namesDe.artist, "Interpret");
  EXPECT_EQ(namesDe.title, "Titel");
  EXPECT_EQ(namesDe.ok, "&Ja");
  const AutoCueDialogLabels autoCueDe = autoCueDialogLabels(t);
  EXPECT_EQ(autoCueDe.caption, "Auto-Cue");
  EXPECT_EQ(autoCueDe.every, "Cue alle (min:s)");
  EXPECT_EQ(autoCueDe.cancel, "&Nein");
}

TEST(GainDialogWorkingCopy, OkTakesTheCopysGainsAndOnlyOk) {
  Session s;
  test::ScriptedHost host;
  s.edits.selection.beg = 1000;
  s.edits.selection.end = 9000;
  EditRange working = s.edits.selection;
  startGainDialog(working);
  fadeOut(working);
  moveGainSlider(working, GainSlider::Begin, GainSliderMove::LineUp, 0, false);
  // Until OK the pending record is as it was.
  EXPECT_EQ(s.edits.selection.gainbeg, 0);
  EXPECT_EQ(s.edits.selection.gainend, 0);
  EXPECT_EQ(s.edits.count, 0);
  ASSERT_TRUE(acceptGainDialog(s, host, working));
  ASSERT_EQ(s.edits.count, 1);
  EXPECT_EQ(s.edits.ranges[0].gainbeg, 1);
  EXPECT_EQ(s.edits.ranges[0].gainend, -32);
  EXPECT_EQ(s.edits.ranges[0].title, "(+1.5...-48.0 dB)");
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace quillane
