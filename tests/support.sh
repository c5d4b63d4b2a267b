# What the shell tests share (sourced): failing with a reason, polling a condition with a
# generous limit, and judging a picture by its colours.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls a command until it succeeds; a slow machine only takes longer. The command's last
# words say what was missing when the limit passes.
await() {  # LIMIT_SECONDS WHAT COMMAND...
    local limit=$1 what=$2 why=
    shift 2
    local deadline=$((SECONDS + limit))
    until why=$("$@" 2>&1); do
        [ $SECONDS -lt $deadline ] || fail "$what (after $limit s: $why)"
        sleep 0.3
    done
}

# Share of the picture's pixels that pass an fx test, on a sample (-fx is slow).
share() {  # PICTURE TEST [SAMPLE]
    convert "$1" -alpha off -sample "${3:-160x90}!" -fx "($2) ? 1 : 0" -format '%[fx:mean]' info:
}
at_least() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v >= m) }'; }
at_most() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v <= m) }'; }

# The flowers' tints (red near full, green below it) and the white between them.
tinted='r >= 0.85 && g < r - 0.04'
white='r > 0.96 && g > 0.96 && b > 0.96'

# Succeeds when the picture shows tinted flowers on white, at least 5 % of each.
has_flowers() {  # PICTURE
    local t w
    t=$(share "$1" "$tinted")
    w=$(share "$1" "$white")
    at_least "$t" 0.05 && at_least "$w" 0.05 || { echo "tinted $t, white $w"; return 1; }
}
