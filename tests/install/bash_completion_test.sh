#!/usr/bin/env bash
# Installs the build into a fresh prefix and completes command lines there as an
# interactive bash does: bash-completion loads each command's completion from where it
# was installed, every option of a usage text is offered, and a table of command lines
# checks the option values and the file names offered.
#   bash_completion_test.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/installed_commands.sh"
install_build "$build" "$work/prefix" || exit 1

# bash-completion finds completions under XDG_DATA_DIRS; nothing of the user's may be found.
export XDG_DATA_DIRS=$work/prefix/share BASH_COMPLETION_USER_DIR=$work/none
source /usr/share/bash-completion/bash_completion || { echo "bash-completion is not installed"; exit 1; }

# completions WORD...: the sorted words offered for the last WORD of the command line.
completions() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  local function_name
  function_name=$(complete -p "$1" 2>/dev/null | sed -E 's/.*-F ([^ ]+) .*/\1/')
  [ -n "$function_name" ] || return
  "$function_name" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

checked=0
for exe in "$work"/prefix/bin/*; do
  name=$(basename "$exe")
  checked=$((checked + 1))
  if ! __load_completion "$name"; then
    fail "$name: bash-completion finds no completion for it"
    continue
  fi
  offered=" $(completions "$name" -) "
  for option in $(usage_options "$name"); do
    case " $usage_only_options " in *" $option "*) continue ;; esac
    [[ $offered == *" $option "* ]] || fail "$name: $option of the usage text is not offered"
  done
done

mkdir "$work/flights" && cd "$work/flights" && mkdir sub && touch a.LOG b.log c.txt d.xml e.kml f.html
all_files="a.LOG b.log c.txt d.xml e.kml f.html sub"
while IFS='|' read -r line expected; do
  read -r -a words <<<"$line"
  [[ $line == *' ' ]] && words+=("")
  actual=$(completions "${words[@]}")
  [ "$actual" = "$expected" ] || fail "'$line': offered '$actual', expected '$expected'"
done <<EOF_TABLE
orvexdecode |a.LOG b.log sub
orvexdecode -i |a.LOG b.log sub
orvexdecode --infile = |a.LOG b.log sub
orvexdecode -o |d.xml sub
orvexdecode --kmlfile |e.kml sub
orvexdecode --summary_period |
orvexdecode --gps_|--gps_1 --gps_1_aviation --gps_1_nmea --gps_2 --gps_2_aviation --gps_2_nmea
orvexdecode --nogps|--nogps_1 --nogps_2
orvexdecode --xsl|--xsl_style_sheet --xsl_stylesheet --xslt
orvexdecode-track |a.LOG b.log sub
orvexdecode-track --binary |a.LOG b.log sub
orvexdecode-track a.LOG |$all_files
orvexdecode-track - |$all_files
orvexdecode-track a.LOG out.tsv |
orvexdecode-track --gps|--gps_1_aviation --gps_1_nmea
orvexdecode-simulate |a.LOG b.log sub
orvexdecode-simulate -o |a.LOG b.log sub
orvexdecode-simulate --aviation-format |1 3
orvexdecode-simulate --seed |
orvexdecode-simulate --s|--scenario --seed --size-mb --swap-gps
orvexdecode-simulate --scenario |sub
orvexdecode-simulate --t|--truth
orvexdecode-info |a.LOG b.log sub
orvexdecode-info --json a.LOG |a.LOG b.log sub
orvexdecode-info --limits |$all_files
orvexdecode-info -j |
orvexdecode-info --utc-start |
orvexdecode-info --land|--landing-speed --landing-time
orvexdecode-export |avionics-csv csv gpx kml logbook
orvexdecode-export logbook --layout |foreflight myflightbook
orvexdecode-export logbook --layout foreflight a.LOG |a.LOG b.log sub
orvexdecode-export g|gpx
orvexdecode-export csv |a.LOG b.log sub
orvexdecode-export kml --flight 2 |a.LOG b.log sub
orvexdecode-export gpx a.LOG |$all_files
orvexdecode-export csv - |$all_files
orvexdecode-export csv a.LOG out.csv |
orvexdecode-export csv --every |
orvexdecode-export --f|--flight --force --from
orvexdecode-export gpx -o |$all_files
orvexdecode-export gpx --output-dir |sub
orvexdecode-export gpx --output-dir sub a.LOG |a.LOG b.log sub
orvexdecode-export gpx --each-flight --output-dir=sub a.LOG b.log |a.LOG b.log sub
orvexdecode-report |a.LOG b.log sub
orvexdecode-report -o |f.html sub
orvexdecode-report --output |f.html sub
orvexdecode-report --limits |$all_files
orvexdecode-report --flight |
orvexdecode-report --every |
orvexdecode-report --gps_2|--gps_2_aviation --gps_2_nmea
EOF_TABLE

[ "$checked" -ge 3 ] || fail "only $checked commands installed"
echo "$checked commands' completions checked, $failures failures"
[ "$failures" = 0 ]
