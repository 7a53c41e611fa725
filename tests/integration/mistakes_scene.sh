#!/usr/bin/env bash
# Common mistakes that once ended in silence now each leave a line in the log, while
# the program runs on as before: a vynXap.ini without the keys the node reads, one that
# cannot be read, a BroadcastAddress that is not an IPv4 address or that no network of
# this computer holds (every send then fails), no network address at all (the scene's
# network has only loopback), and no hub relaying to the node within 30 s of start.
source "$(dirname "$0")/scene.sh"

scene_begin

# start_in NAME CONFIG: a program in a base folder of its own, with CONFIG as vynXap.ini
# (a folder of that name when CONFIG is "folder").
start_in() {
  local base=$SCENE_DIR/$1
  mkdir -p "$base/Config"
  cp "$TALLIS" "$base/tallis"
  if [ "$2" = folder ]; then
    mkdir "$base/Config/vynXap.ini"
  else
    printf '%s' "$2" > "$base/Config/vynXap.ini"
  fi
  (cd "$base" && exec ./tallis > "$SCENE_DIR/$1.out" 2>&1) &
  SCENE_PIDS+=($!)
}

# expect_logged NAME WORDS: the log of program NAME holds WORDS within 40 s.
expect_logged() {
  wait_for 40 grep -qF "$2" "$SCENE_DIR/$1/Data/raruveViziva.txt" || {
    echo "--- $1's log"; cat "$SCENE_DIR/$1/Data/raruveViziva.txt" 2>/dev/null | tr '\r' ' '
    scene_fail "$1: no line \"$2\""
  }
}

start_in misspelt $'[Interfaces]\r\nBroadcastAddress=127.255.255.255\r\n'
start_in unreadable folder
start_in nowhere $'[Interface]\r\nBroadcastAddress=10.99.0.255\r\n'
start_in named $'[Interface]\r\nBroadcastAddress=house.lan\r\n'

expect_logged misspelt "raruveViziva vynXap.ini holds no [Interface] key the node reads (BroadcastAddress, InterfaceAddress): the default addresses are used"
expect_logged unreadable "raruveViziva vynXap.ini cannot be read ("
expect_logged nowhere "raruveViziva BroadcastAddress 10.99.0.255 in vynXap.ini is on no network of this computer"
expect_logged nowhere "raruveViziva cannot send to 10.99.0.255:3639: "
expect_logged named "raruveViziva BroadcastAddress \"house.lan\" in vynXap.ini is not an IPv4 address"
for program in misspelt unreadable nowhere named; do
  expect_logged "$program" "raruveViziva no network address: serving this computer only"
done
# No hub runs in this scene: after 30 s each program says so.
for program in misspelt unreadable nowhere named; do
  expect_logged "$program" "raruveViziva no xAP hub relays to this node (port "
done
# They all still run, as before.
for pid in "${SCENE_PIDS[@]}"; do
  kill -0 "$pid" 2>/dev/null || scene_fail "a program ended"
done
echo "mistakes scene passed"
