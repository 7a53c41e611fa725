#!/usr/bin/env bash
# What tallis, vbsrun, xap and xap-mqtt answer to their command lines, as a user meets
# them: for every line of command_lines.txt that starts with "$ ", the exit status,
# standard output and standard error, compared with the lines that follow it there.
# Each tool's usage text is kept in full once (its "## usage of TOOL" part) and
# stands as <usage> where a case prints it; the version stands as <version>, the
# scene's folder as <dir>. RECORD=1 writes the file anew from what the tools answer.
source "$(dirname "$0")/../integration/scene.sh"
: "${VBSRUN:?}" "${XAP_MQTT:?}" "${VERSION:?}"
TABLE=${TABLE:-$(dirname "$0")/command_lines.txt}

scene_begin
cd "$SCENE_DIR" || exit 1
# A script that prints its arguments, one a line.
printf 'Dim a\r\nFor Each a In WScript.Arguments\r\n  WScript.Echo "[" & a & "]"\r\nNext\r\n' > args.vbs
export HOME=$SCENE_DIR
unset TALLIS_BASE

tool_path() {
  case $1 in
    tallis) echo "$TALLIS" ;;
    vbsrun) echo "$VBSRUN" ;;
    xap) echo "$XAP" ;;
    xap-mqtt) echo "$XAP_MQTT" ;;
    *) scene_fail "unknown tool $1 in $TABLE" ;;
  esac
}

# The text a tool printed, with the scene's own details made stable.
stable() {
  sed -e "s|$SCENE_DIR|<dir>|g" -e "s|$VERSION|<version>|g" "$1"
}

declare -A usage
for tool in tallis vbsrun xap xap-mqtt; do
  usage[$tool]=$("$(tool_path "$tool")" --help | sed -e "s|$VERSION|<version>|g")
done

transcript() {
  local tool line words status
  for tool in tallis vbsrun xap xap-mqtt; do
    echo "## usage of $tool"
    printf '%s\n' "${usage[$tool]}"
  done
  grep '^\$ ' "$TABLE" | while IFS= read -r line; do
    echo
    echo "$line"
    # "$ [NAME=VALUE...] TOOL ARGUMENTS", with shell quoting.
    eval "words=(${line#\$ })"
    local environment=() i=0
    while [[ ${words[$i]} == *=* && ${words[$i]} != -* ]]; do
      environment+=("${words[$i]}")
      i=$((i + 1))
    done
    status=0
    env "${environment[@]}" "$(tool_path "${words[$i]}")" "${words[@]:$((i + 1))}" \
      > case.out 2> case.err < /dev/null || status=$?
    echo "status $status"
    if [ -s case.out ] && [ "$(stable case.out)" = "${usage[${words[$i]}]}" ]; then
      echo "out| <usage>"
    else
      stable case.out | sed 's/^/out| /'
    fi
    stable case.err | sed 's/^/err| /'
  done
}

if [ -n "${RECORD:-}" ]; then
  transcript > "$TABLE.new"
  mv "$TABLE.new" "$TABLE"
  echo "recorded $(grep -c '^\$ ' "$TABLE") cases in $TABLE"
  exit 0
fi
transcript > table.out
diff -u "$TABLE" table.out > table.diff || scene_fail "the tools answer otherwise than $TABLE: $(cat table.diff)"
echo "$(grep -c '^\$ ' "$TABLE") command lines answered as recorded"
