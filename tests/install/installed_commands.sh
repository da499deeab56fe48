# Shared by the tests of the installed commands (sourced, not run).

# install_build BUILD_DIR PREFIX: installs the build into a fresh prefix and puts its bin/
# first on PATH, so that each command is run, and names itself, as a user would see it.
install_build() {
  cmake --install "$1" --prefix "$2" >/dev/null
  export PATH="$2/bin:$PATH"
}

# usage_options NAME: every option the command's usage text defines, one a line: the options
# that open a line ("  -o, --output=FILE  ..."); "--[no]name" stands for --name and --noname.
usage_options() {
  "$1" --help 2>&1 |
    awk '{ for (i = 1; i <= NF && $i ~ /^--?(\[no\])?[A-Za-z0-9][A-Za-z0-9_-]*([=,].*)?$/; i++) print $i }' |
    sed -E -e 's/[=,].*//' -e 's/^--\[no\](.*)/--\1\n--no\1/' | sort -u
}

# Options the fixed usage text of orvexdecode names but the command refuses (its radio
# option is --[no]sl40): documented in the manual page, never offered by completion.
usage_only_options="--sl40_1 --nosl40_1"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
