#!/usr/bin/env bash
# Completes command lines as bash does with the built completions of cmdtail ($1) and daylog ($2), and
# checks what each offers: options and their values from cmdtail's table, the system's character sets,
# and a directory for daylog's project home.
set -euo pipefail
source "$1"
source "$2"
# Outside a completion bash refuses compopt; what it would set does not change the words offered.
compopt() { :; }

offered() {  # function, words of the command line: the words offered for the last one
  local function=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  "$function"
  echo "${COMPREPLY[*]}"
}

expect() {  # what, offered, expected
  [ "$2" = "$3" ] || { echo "$1: offered \"$2\", expected \"$3\"" >&2; exit 1; }
}

expect "a long option" "$(offered _cmdtail cmdtail --col)" "--color="
expect "the opposites" "$(offered _cmdtail cmdtail --no-f)" "--no-follow"
# bash splits a word at its "=".
expect "the colour's values" "$(offered _cmdtail cmdtail --color = al)" "always"
expect "the colour's values after =" "$(offered _cmdtail cmdtail --color =)" "auto always never"
expect "a free value" "$(offered _cmdtail cmdtail --grep = ER)" ""
encodings=$(offered _cmdtail cmdtail --encoding = UTF-16)
[[ " $encodings " == *" UTF-16LE "* ]] || { echo "--encoding=UTF-16 offered \"$encodings\"" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir "$home/project"
touch "$home/prefix-file"
cd "$home"
expect "daylog's home" "$(offered _daylog daylog pr)" "project"
echo "bash completion: options, values, character sets and the home offered as expected"
