#!/usr/bin/env bash
# Regenerates the MPEG audio test files in this folder.
#
# All sound is synthesised (sox synth, espeak-ng for speech) and every step is
# repeatable: sox runs with -R (fixed random seeds) and -D (no dither), LAME
# gets no date or version-dependent tag fields, ffmpeg runs in bitexact mode.
# Every command is echoed and written to MANIFEST.txt as it runs.
#
# Needs: sox, lame, twolame, ffmpeg, espeak-ng, python3.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"

# lame converts its tag arguments from the locale's encoding to Latin-1 for
# ID3v1; pin the locale so "é" always becomes the single byte 0xE9.
export LC_ALL=C.UTF-8

WORK=tmp-make-data
rm -rf "$WORK"
mkdir "$WORK"
trap 'rm -rf "$WORK"' EXIT

MANIFEST=MANIFEST.txt
{
    echo "# Commands run by make-data.sh, in order (working directory: tests/data)."
    echo "# Tools:"
    echo "#   $(lame --version 2>&1 | head -n 1)"
    echo "#   $(twolame --help 2>&1 | head -n 1)"
    echo "#   $(ffmpeg -hide_banner -version 2>&1 | head -n 1 | cut -d " " -f 1-3)"
    echo "#   $(sox --version 2>&1 | sed 's/^sox: *//')"
    echo "#   $(espeak-ng --version 2>&1 | head -n 1)"
} > "$MANIFEST"

# Echo a command, append it to the manifest, then run it.
run() {
    local line
    line=$(printf '%q ' "$@")
    line=${line% }
    echo "+ $line"
    echo "$line" >> "$MANIFEST"
    "$@"
}

note() {
    echo
    echo "== $*"
    printf '\n# %s\n' "$*" >> "$MANIFEST"
}

SOX=(sox -R -D -V1)
LAME=(lame --quiet --noreplaygain)

# ---------------------------------------------------------------- sources ---
note "source: 3 s stereo, 440 Hz left / 660 Hz right at -12 dBFS, 44.1 kHz"
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/stereo3.wav" synth 3 sine 440 sine 660 gain -12

note "source: 4 s stereo music-like signal (two sweeps plus pulsing pink noise)"
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/sweeps.wav" synth 4 sine 100-8000 sine 150-6000 gain -12
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/pulses.wav" synth 4 pinknoise gain -4 tremolo 1.5 100
run "${SOX[@]}" -m "$WORK/sweeps.wav" "$WORK/pulses.wav" -b 16 "$WORK/music4.wav"

note "source: 4 s stereo alternating 0.25 s digital silence and 0.25 s loud white noise"
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/silence025.wav" trim 0 0.25
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/noise025.wav" synth 0.25 whitenoise gain -3
run "${SOX[@]}" "$WORK/silence025.wav" "$WORK/noise025.wav" "$WORK/pulse8.wav" repeat 7

note "source: 3 s mono 44.1 kHz (440 Hz plus 1320 Hz)"
run "${SOX[@]}" -r 44100 -c 1 -n -b 16 "$WORK/mono44.wav" synth 3 sine 440 synth 3 sine mix 1320 gain -9

note "source: 3 s stereo 22050 Hz"
run "${SOX[@]}" -r 22050 -c 2 -n -b 16 "$WORK/stereo22.wav" synth 3 sine 440 sine 660 gain -12

note "source: 3 s mono 8000 Hz"
run "${SOX[@]}" -r 8000 -c 1 -n -b 16 "$WORK/mono8.wav" synth 3 sine 400 gain -9

note "source: 3 s stereo 24000 Hz"
run "${SOX[@]}" -r 24000 -c 2 -n -b 16 "$WORK/stereo24.wav" synth 3 sine 440 sine 660 gain -12

note "source: 3 s stereo 48000 Hz"
run "${SOX[@]}" -r 48000 -c 2 -n -b 16 "$WORK/stereo48.wav" synth 3 sine 523.25 sine 784 gain -12

note "source: 3 s stereo 32000 Hz"
run "${SOX[@]}" -r 32000 -c 2 -n -b 16 "$WORK/stereo32.wav" synth 3 sine 330 sine 495 gain -12

note "source: one spoken sentence, 44.1 kHz mono"
run espeak-ng -v en -s 150 -w "$WORK/speech22.wav" "Quillane cuts MPEG audio frame by frame, without decoding it again."
run "${SOX[@]}" "$WORK/speech22.wav" -r 44100 -c 1 -b 16 "$WORK/speech44.wav" gain -3

note "source: 2 s 1 kHz tone at -6 dBFS, 2 s digital silence, 2 s tone (stereo 44.1 kHz)"
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/tone2.wav" synth 2 sine 1000 gain -6
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/silence2.wav" trim 0 2
run "${SOX[@]}" "$WORK/tone2.wav" "$WORK/silence2.wav" "$WORK/tone2.wav" "$WORK/tone_silence_tone.wav"

note "source: eight 1 s steps of a sine at -6 dBFS, 400 Hz rising by 200 Hz to 1800 Hz (mono 44.1 kHz)"
steps=()
for f in 400 600 800 1000 1200 1400 1600 1800; do
    run "${SOX[@]}" -r 44100 -c 1 -n -b 16 "$WORK/step$f.wav" synth 1 sine "$f" gain -6
    steps+=("$WORK/step$f.wav")
done
run "${SOX[@]}" "${steps[@]}" "$WORK/tone_steps.wav"

# ----------------------------------------------------------------- MPEG-1 ---
note "cbr128_info.mp3: MPEG-1 Layer III CBR 128, joint stereo, LAME Info frame"
run "${LAME[@]}" -b 128 -m j "$WORK/stereo3.wav" cbr128_info.mp3

note "cbr128_notag.mp3: same without any tag frame"
run "${LAME[@]}" -b 128 -m j -t "$WORK/stereo3.wav" cbr128_notag.mp3

note "vbr_xing.mp3: MPEG-1 Layer III VBR -V 2 with Xing frame"
run "${LAME[@]}" -V 2 -m j "$WORK/music4.wav" vbr_xing.mp3

note "vbr_notag.mp3: VBR -V 2 without tag frame, bit rate jumping between silence and noise"
run "${LAME[@]}" -V 2 -m j -t "$WORK/pulse8.wav" vbr_notag.mp3

note "mono.mp3: MPEG-1 Layer III mono CBR 64, 44.1 kHz"
run "${LAME[@]}" -b 64 -m m --resample 44.1 "$WORK/mono44.wav" mono.mp3

note "crc.mp3: CBR 128 joint stereo with CRC protection"
run "${LAME[@]}" -b 128 -m j -p "$WORK/stereo3.wav" crc.mp3

note "id3v1.mp3: CBR 128 with an ID3v1.1 tag only (artist holds Latin-1 0xE9)"
run "${LAME[@]}" -b 128 -m j --id3v1-only \
    --tt "Test Tone One" --ta "René Tester" --tl "Quillane Test Data" \
    --ty 2024 --tc "ID3v1 test comment" --tn 7 --tg Blues \
    "$WORK/stereo3.wav" id3v1.mp3

note "id3v2.mp3: CBR 128 with an ID3v2 tag only (text fields plus 256 bytes of padding)"
run "${LAME[@]}" -b 128 -m j --id3v2-only --id3v2-latin1 --pad-id3v2-size 256 \
    --tt "Test Tone Two" --ta "Quillane Tester" \
    --tc "ID3v2 test comment: a few words so that the tag is not tiny." \
    "$WORK/stereo3.wav" id3v2.mp3

note "id3v1v2.mp3: CBR 128 with both an ID3v2 tag and an ID3v1 tag"
run "${LAME[@]}" -b 128 -m j --add-id3v2 --id3v2-latin1 --pad-id3v2-size 128 \
    --tt "Test Tone Three" --ta "Quillane Tester" --tl "Quillane Test Data" \
    --ty 2024 --tc "both tags" --tn 3 --tg Jazz \
    "$WORK/stereo3.wav" id3v1v2.mp3

note "speech.mp3: espeak-ng sentence, LAME CBR 128 mono 44.1 kHz"
run "${LAME[@]}" -b 128 -m m "$WORK/speech44.wav" speech.mp3

note "speech_joint.mp3: the same sentence in both channels (mono material sent as stereo, as on radio), LAME CBR 128 joint stereo"
run "${SOX[@]}" "$WORK/speech44.wav" -c 2 "$WORK/speech44_both.wav" remix 1 1
run "${LAME[@]}" -b 128 -m j "$WORK/speech44_both.wav" speech_joint.mp3

note "tone_silence_tone.mp3: CBR 128 joint stereo, tone / silence / tone"
run "${LAME[@]}" -b 128 -m j "$WORK/tone_silence_tone.wav" tone_silence_tone.mp3

note "tone_steps.mp3: MPEG-1 Layer III mono CBR 64, 44.1 kHz, the eight frequency steps"
run "${LAME[@]}" -b 64 -m m --resample 44.1 "$WORK/tone_steps.wav" tone_steps.mp3

note "click_30ms.mp3: 30 ms of a 1 kHz tone, CBR 128 joint stereo without tag frame: three frames, 1253 bytes"
run "${SOX[@]}" -r 44100 -c 2 -n -b 16 "$WORK/click30.wav" synth 0.03 sine 1000 gain -6
run "${LAME[@]}" -b 128 -m j -t "$WORK/click30.wav" click_30ms.mp3

# ------------------------------------------------------- MPEG-2 / MPEG-2.5 ---
note "mpeg2_22k.mp3: MPEG-2 Layer III 22050 Hz joint stereo CBR 64"
run "${LAME[@]}" -b 64 -m j --resample 22.05 "$WORK/stereo22.wav" mpeg2_22k.mp3

note "mpeg25_8k.mp3: MPEG-2.5 Layer III 8000 Hz mono CBR 16"
run "${LAME[@]}" -b 16 -m m --resample 8 "$WORK/mono8.wav" mpeg25_8k.mp3

# ---------------------------------------------------------------- Layer II ---
note "layer2_mpeg1.mp2: MPEG-1 Layer II 44.1 kHz stereo 192 (twolame, padded frames), first 3 s of the music-like signal"
run "${SOX[@]}" "$WORK/music4.wav" "$WORK/music3.wav" trim 0 3
run twolame --quiet -m s -b 192 -d "$WORK/music3.wav" layer2_mpeg1.mp2

note "layer2_mpeg2.mp2: MPEG-2 (LSF) Layer II 24000 Hz stereo 64 (twolame)"
run twolame --quiet -m j -b 64 "$WORK/stereo24.wav" layer2_mpeg2.mp2

# ----------------------------------------------------------------- Layer I ---
# No common encoder writes Layer I, so write 240 bare frames (about 2.1 s) by hand:
# header FF FF 90 00 = MPEG-1, Layer I, no CRC, 288 kbit/s, 44100 Hz, no
# padding, stereo; length (12 * 288000 / 44100) * 4 = 78 * 4 = 312 bytes,
# payload all zero.
note "layer1.mp1: 240 MPEG-1 Layer I frames (FF FF 90 00, 312 bytes each, zero payload)"
run python3 -c '
import sys
header = bytes([0xFF, 0xFF, 0x90, 0x00])
bitrate, rate = 288000, 44100
length = (12 * bitrate // rate) * 4
frame = header + bytes(length - len(header))
with open(sys.argv[1], "wb") as f:
    f.write(frame * 240)
' layer1.mp1

# ---------------------------------------------------------- other writers ---
note "ffmpeg_cbr.mp3: libmp3lame through ffmpeg, CBR 192, 48 kHz stereo, no Xing, no ID3"
run ffmpeg -nostdin -hide_banner -loglevel error -y -fflags +bitexact \
    -i "$WORK/stereo48.wav" -map_metadata -1 -c:a libmp3lame -b:a 192k \
    -ar 48000 -ac 2 -write_xing 0 -id3v2_version 0 -write_id3v1 0 \
    -flags +bitexact -fflags +bitexact -f mp3 ffmpeg_cbr.mp3

note "ffmpeg_info.mp3: libmp3lame through ffmpeg, CBR 128, 44.1 kHz joint stereo, with ffmpeg's Info frame and LAME extension (encoder delay and padding), no ID3"
run ffmpeg -nostdin -hide_banner -loglevel error -y -fflags +bitexact \
    -i "$WORK/music4.wav" -map_metadata -1 -c:a libmp3lame -b:a 128k \
    -id3v2_version 0 -write_id3v1 0 \
    -flags +bitexact -fflags +bitexact -f mp3 ffmpeg_info.mp3

note "ffmpeg_vbr.mp3: libmp3lame through ffmpeg, VBR -q:a 2, 44.1 kHz joint stereo, with ffmpeg's Xing frame and LAME extension, no ID3"
run ffmpeg -nostdin -hide_banner -loglevel error -y -fflags +bitexact \
    -i "$WORK/music4.wav" -map_metadata -1 -c:a libmp3lame -q:a 2 \
    -id3v2_version 0 -write_id3v1 0 \
    -flags +bitexact -fflags +bitexact -f mp3 ffmpeg_vbr.mp3

note "id3v2_big.mp3: cbr128_info.mp3's audio behind a 95 KB ID3v2.3 tag (TIT2, TPE1, TALB, TRCK, a TXXX user frame and an APIC cover of random pixels), muxed by ffmpeg, which writes its own Info frame"
run ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi \
    -i "nullsrc=s=260x260,geq=lum='random(1)*255':cb=128:cr=128" -frames:v 1 \
    -flags +bitexact -fflags +bitexact "$WORK/cover.png"
run ffmpeg -nostdin -hide_banner -loglevel error -y -fflags +bitexact \
    -i cbr128_info.mp3 -i "$WORK/cover.png" -map 0:a -map 1 -c copy \
    -id3v2_version 3 -write_id3v1 0 \
    -metadata title="Big Tag" -metadata artist="Quillane Tester" \
    -metadata album="Quillane Test Data" -metadata track=4 \
    -metadata "quillane_note=kept as it is" \
    -metadata:s:v title=cover -metadata:s:v comment="Cover (front)" \
    -flags +bitexact -fflags +bitexact id3v2_big.mp3

note "id3v24.mp3: cbr128_info.mp3's audio behind an ID3v2.4 tag written by ffmpeg (UTF-8 TIT2 with a euro sign, TPE1, TALB, TDRC, TRCK n/total, TCON and a TXXX user frame)"
run ffmpeg -nostdin -hide_banner -loglevel error -y -fflags +bitexact \
    -i cbr128_info.mp3 -map 0:a -c copy \
    -id3v2_version 4 -write_id3v1 0 \
    -metadata title="Grüße für 5 €" -metadata artist="Quillane Tester" \
    -metadata album="Quillane Test Data" -metadata date=2025 -metadata track=2/9 \
    -metadata genre=Ambient \
    -metadata "quillane_note=kept as it is" \
    -flags +bitexact -fflags +bitexact id3v24.mp3

if sox -h 2>/dev/null | grep -q -w 'mp3'; then
    note "sox_32k.mp3: written by sox (libmp3lame) at 32 kHz stereo, CBR 96"
    run "${SOX[@]}" "$WORK/stereo32.wav" -C 96 sox_32k.mp3
else
    note "sox_32k.mp3: this sox cannot write MP3, so LAME encodes at 32 kHz stereo, CBR 96"
    run "${LAME[@]}" -b 96 -m j --resample 32 "$WORK/stereo32.wav" sox_32k.mp3
fi

echo
echo "Done. Commands recorded in $(pwd)/$MANIFEST"
