#!/bin/sh
# Stands in for macOS's security tool from a copy in a folder of its own:
# logs each run's arguments on a line of arguments.log, then prints the item
# stored as items/<service>, or exits with 44 like the real tool when there is none.
dir=$(dirname "$0")
printf '%s|' "$@" >> "$dir/arguments.log"
echo >> "$dir/arguments.log"
[ -f "$dir/items/$3" ] || { echo 'The specified item could not be found.' >&2; exit 44; }
cat "$dir/items/$3"
