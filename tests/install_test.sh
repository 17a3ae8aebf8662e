#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop gets from it:
# both programs run from bin/, the desktop entry, the AppStream metadata, the file
# types (a project file is recognised by its name and by its first line), the
# manual pages, the icons and the bash completion.
# Usage: install_test.sh BUILD_DIR TEST_DATA_DIR
set -euo pipefail
build="$1"
data="$2"
id=io.github.quillane.Quillane

fail() { echo "install test: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli update-mime-database gio man; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install $build failed"
share="$prefix/share"

for file in bin/quillane bin/quillane-cli share/quillane/Manual.htm share/quillane/Languages/lanDeutsch.ini \
  "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" "share/mime/packages/$id.xml" \
  "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/quillane.1.gz share/man/man1/quillane-cli.1.gz \
  share/bash-completion/completions/quillane-cli share/doc/quillane/copyright; do
  [ -e "$prefix/$file" ] || fail "$file was not installed"
done
for size in 16 24 32 48 64 128 256; do
  [ -e "$share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "the ${size} px icon was not installed"
done

# The installed programs, with nothing of the build tree in reach but the test file.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
cli="$prefix/bin/quillane-cli"
# grep reads the whole of its input in these pipes: with pipefail, grep -q could
# end the writer with SIGPIPE and fail the check by chance.
"$cli" --version | grep -x "quillane-cli [0-9.]*" >/dev/null || fail "quillane-cli --version"
"$cli" info "$data/cbr128_info.mp3" | grep "^layer: 3" >/dev/null || fail "quillane-cli info from the prefix"
"$cli" save "$data/cbr128_info.mp3" -o "$work/cut.mp3" --cut 0-1 >/dev/null || fail "quillane-cli save from the prefix"
"$cli" info "$work/cut.mp3" --json | grep '"layer": *3' >/dev/null || fail "the saved file does not scan"

QT_QPA_PLATFORM=offscreen "$prefix/bin/quillane" "$data/cbr128_info.mp3" >"$work/quillane.log" 2>&1 &
program=$!
sleep 2
kill -0 "$program" 2>/dev/null || { cat "$work/quillane.log" >&2; fail "quillane ended at start-up"; }
kill -TERM "$program"
wait "$program" || true

# The desktop's own checkers.
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
for page in quillane quillane-cli; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man --warnings on $page.1: $warnings"
done

# The file types, from the prefix's own database.
# (It notes that the prefix is not among the XDG folders: the checks below add it.)
update-mime-database "$share/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database"; }
printf 'filename=song.mp3\r\nposition=417\r\n' >"$work/work.qlp"
cp "$work/work.qlp" "$work/unnamed"
mime_of() {
  XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/none" \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
[ "$(mime_of "$work/work.qlp")" = application/x-quillane-project ] || fail "a .qlp file is $(mime_of "$work/work.qlp")"
[ "$(mime_of "$work/unnamed")" = application/x-quillane-project ] ||
  fail "a project file without its extension is $(mime_of "$work/unnamed")"

# The completion offers the subcommands, and the options of the one typed.
completion=/usr/share/bash-completion/bash_completion
if [ -r "$completion" ]; then
  complete_words() {
    bash -c 'source "$1"; source "$2"; shift 2
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _quillane_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" \
      "$share/bash-completion/completions/quillane-cli" "$@"
  }
  complete_words quillane-cli sp | grep -x split >/dev/null || fail "completion of a subcommand"
  complete_words quillane-cli save in.mp3 --no- | grep -x -- --no-xing >/dev/null || fail "completion of save's options"
  complete_words quillane-cli decode in.mp3 --decoder "" | grep -x mpg123 >/dev/null || fail "completion of --decoder"
else
  fail "bash-completion is missing (scripts/setup installs it)"
fi
echo "install test: everything in place under $prefix"
