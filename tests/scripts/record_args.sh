#!/bin/sh
# Records how it was started: one line per argument in brackets, where stdin points, whether it
# leads its own session, its open descriptors, its file mode mask, then "end". Appends to args.txt beside itself in
# one write, so starts that overlap do not mix their lines.
out="$(dirname "$0")/args.txt"
sid=$(cut -d' ' -f6 /proc/$$/stat)
record=""
for arg in "$@"; do record="$record[$arg]
"; done
record="${record}stdin=$(readlink /proc/$$/fd/0)
"
if [ "$sid" = "$$" ]; then record="${record}leader=yes
"; else record="${record}leader=no
"; fi
record="${record}fds=$(ls /proc/$$/fd | tr '\n' ' ')
umask=$(umask)
end"
printf '%s\n' "$record" >>"$out"
