# bash completion for quillane-cli                           -*- shell-script -*-

_quillane_cli() {
  local cur prev words cword
  _init_completion || return

  local commands="info save split cuesheet project ranges decode normalize pauses play record"
  local audio='@(mp3|mp2|mpa|mus|qlp|cue|MP3|MP2|MPA|MUS|QLP|CUE)'

  # The subcommand: the first word that is not an option.
  local command="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      -*) ;;
      *) command=${words[i]}; break ;;
    esac
  done

  if [[ -z $command ]]; then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi

  # Values of the options that take one.
  case $prev in
    -o | --output)
      case $command in
        cuesheet) _filedir cue ;;
        project) _filedir qlp ;;
        decode) _filedir wav ;;
        pauses) _filedir '@(cue|qlp)' ;;
        record) _filedir mp3 ;;
        *) _filedir '@(mp3|mp2|mpa|mus)' ;;
      esac
      return
      ;;
    --dir)
      _filedir -d
      return
      ;;
    --decoder)
      COMPREPLY=($(compgen -W "system mpg123" -- "$cur"))
      return
      ;;
    --encoder)
      COMPREPLY=($(compgen -W "lame system" -- "$cur"))
      return
      ;;
    --prelisten)
      COMPREPLY=($(compgen -W "1 2 3 4 5" -- "$cur"))
      return
      ;;
    --cut | --gain | --cue | --selection | --from | --to | --seek-to | --auto-cue | --pattern | \
      --first | --threshold | --duration | --offset | --skip | --device | --fast | --buffer-frames | \
      --buffer-max | --stop-after-ms | --seek-at-ms | --seconds | --cue-at | --bitrate | --rate | --vbr)
      return
      ;;
  esac

  local edits="--cut --gain --cue"
  local options
  case $command in
    info) options="--json" ;;
    save) options="-o --output $edits --selection --sample-accurate --append --no-xing --keep-id3v2 --drop-id3v2 --no-id3v1 --force" ;;
    split) options="--dir --pattern --first --id3v11 --sample-accurate --force $edits" ;;
    cuesheet | project) options="-o --output $edits --auto-cue --force" ;;
    ranges) options="$edits --json" ;;
    decode) options="-o --output $edits --selection --force --decoder" ;;
    normalize) options="$edits --selection -o --output --force --decoder" ;;
    pauses) options="$edits --selection --threshold --duration --offset --skip --cut-whole --json -o --output --force --decoder" ;;
    play) options="$edits --from --to --prelisten --selection --device --fast --buffer-frames --buffer-max --stop-after-ms --seek-at-ms --seek-to --list-devices --decoder" ;;
    record) options="-o --output --seconds --cue-at --encoder --append --add-date --device --list-inputs --turbo --bitrate --rate --mono --vbr" ;;
  esac

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
  elif [[ $command == info ]]; then
    _filedir '@(mp3|mp2|mpa|mus|MP3|MP2|MPA|MUS)'
  elif [[ $command != record ]]; then
    _filedir "$audio"
  fi
} &&
  complete -F _quillane_cli quillane-cli

# ex: filetype=sh
