#pragma once

#include <cstdint>

#include "audio/audio_session.h"
#include "audio/playback_host.h"

namespace quillane {

// --- Requests from the commands ------------------------------------------------

// Play (134) while not recording: with a valid header, the cursor before audioEnd
// and nothing playing, clears leftovers, presses "&Play", relabels F7/F8 ">> -"
// and ">> +" when buffer_frm >= 4 and starts the start timer (1809, 100 ms).
void requestPlay(AudioSession& session, PlaybackHost& host);
// F5..F9: prelisten `mode` (1..5) with `button` pressed; ignored while playing.
void requestPrelisten(AudioSession& session, PlaybackHost& host, int mode, int button);
// F7 / F8: one Fast Play step slower / faster while playing with buffer_frm >= 4;
// otherwise the prelisten to / from the end of the selection.
void fastPlaySlower(AudioSession& session, PlaybackHost& host);
void fastPlayFaster(AudioSession& session, PlaybackHost& host);

// The playback part of Stop (135): calls off a start still waiting for its
// timer, releases the transport buttons and stops what plays. True when
// something was playing (the caller then refreshes).
bool requestStop(AudioSession& session, PlaybackHost& host);

// The start timer fired: kills it and starts; releases the transport buttons when
// nothing could start.
void startTimerFired(AudioSession& session, PlaybackHost& host);

// --- The engine ----------------------------------------------------------------------

// Opens the decoder and the output device and primes the buffers. False when
// nothing plays (already playing, prelisten without selection, decoder or device
// failed: the messages have been shown).
bool startPlayback(AudioSession& session, PlaybackHost& host);
// The device handed back buffer `bufferIndex`: measures it, then refills and
// rewrites it, or ends playback at stopPosition / audioEnd. Does nothing when
// playback is not running.
void onBufferDone(AudioSession& session, PlaybackHost& host, int bufferIndex);
// Stops the device, frees the buffers, closes the decoder; leaves the cursor at the
// frame last played (or, after a prelisten that played to its end, where it stood
// before). Safe to call when nothing plays.
void stopPlayback(AudioSession& session);
// Every jump of the cursor: clamps to the audio and resolves the frame; while
// playing the device returns its buffers, which are refilled from the new place.
void seekPlayback(AudioSession& session, int64_t position);
// Un-presses Play, Rec and the five prelisten buttons; F7/F8 read "..=>I" and "..I=>".
void releaseTransportButtons(PlaybackHost& host);

// Where a prelisten starts and ends, from the selection [beg, end) and the byte
// length of 70 frames. False (mode 0) without a selection.
struct PrelistenRange {
  int64_t start = 0;  // the cursor to play from
  int64_t stop = 0;   // stopPosition
};
bool prelistenRange(AudioSession& session, int mode, PrelistenRange& range);

// Fast Play: turns a decoded block (`length` bytes of interleaved 16-bit samples)
// into a chain of kept segments faded at both ends with the skipped parts between
// them dropped, in place. Returns the new length in bytes. Level 0 returns the
// block unchanged.
int fastPlaySplice(uint8_t* block, int length, int channels, int sampleRate, int level);

}  // namespace quillane
