#!/usr/bin/env bash
# Round trips and refusals of the qwpack tool: qwpack_test.sh PATH_TO_QWPACK
set -u
QWPACK=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$WORK/in/sub" "$WORK/in2"
printf 'scenario' > "$WORK/in/START.MSD"
printf 'twelve bytes' > "$WORK/in/ABCDEFGH.DAT"      # name uses all 12 bytes
printf 'under' > "$WORK/in/_A.DAT"
printf 'digit' > "$WORK/in/0A.DAT"
printf 'hyphen' > "$WORK/in/A-B.DAT"
head -c 70000 /dev/urandom > "$WORK/in/big.ogg"
printf 'kanji' > "$WORK/in/背景.MGD"
: > "$WORK/in/EMPTY.DAT"
printf 'not packed' > "$WORK/in/sub/NESTED.DAT"
printf 'loose' > "$WORK/in2/LOOSE.DAT"

"$QWPACK" --help | grep -q 'qwpack create --format' || fail "--help"

for fmt in sm2mpx10 mgcfile fjsys; do
    arc="$WORK/$fmt.arc"
    "$QWPACK" create --format "$fmt" "$arc" "$WORK/in" "$WORK/in2/LOOSE.DAT" || { fail "create $fmt"; continue; }
    [ -e "$arc.tmp" ] && fail "$fmt: temporary file left behind"
    "$QWPACK" list "$arc" > "$WORK/list.txt" || fail "list $fmt"
    [ "$(wc -l < "$WORK/list.txt")" -eq 9 ] || fail "$fmt: expected 9 members"
    grep -q NESTED "$WORK/list.txt" && fail "$fmt: subdirectory was entered"
    # Lookup order: '_' before digits before letters; the hyphen is passed over at first.
    order=$(cut -f1 "$WORK/list.txt" | tr '\n' ' ')
    case "$order" in
        "_A.DAT 0A.DAT A-B.DAT ABCDEFGH.DAT big.ogg EMPTY.DAT LOOSE.DAT START.MSD 背景.MGD ") ;;
        *) fail "$fmt: table order: $order" ;;
    esac
    out="$WORK/out-$fmt"
    "$QWPACK" extract "$arc" "$out" || fail "extract $fmt"
    for f in START.MSD ABCDEFGH.DAT _A.DAT 0A.DAT A-B.DAT big.ogg 背景.MGD EMPTY.DAT; do
        cmp -s "$WORK/in/$f" "$out/$f" || fail "$fmt: $f differs after extract"
    done
    cmp -s "$WORK/in2/LOOSE.DAT" "$out/LOOSE.DAT" || fail "$fmt: LOOSE.DAT differs"
    one="$WORK/one-$fmt"
    "$QWPACK" extract "$arc" "$one" start.msd || fail "$fmt: extract by name, case ignored"
    [ "$(ls "$one")" = "START.MSD" ] || fail "$fmt: extract by name wrote $(ls "$one")"
    "$QWPACK" extract "$arc" "$one" NOSUCH.DAT 2> "$WORK/err.txt" && fail "$fmt: missing member accepted"
    grep -q 'no such member' "$WORK/err.txt" || fail "$fmt: missing member message"
done

# Rebuilding an archive inside its own input directory does not pack the old archive.
cp -r "$WORK/in2" "$WORK/self"
"$QWPACK" create --format fjsys "$WORK/self/SELF.ARC" "$WORK/self" || fail "create in own directory"
"$QWPACK" create --format fjsys "$WORK/self/SELF.ARC" "$WORK/self" || fail "rebuild in own directory"
"$QWPACK" list "$WORK/self/SELF.ARC" | grep -q SELF.ARC && fail "archive packed itself"

# Names that do not fit a format are refused with a clear message, and nothing is written.
printf 'x' > "$WORK/in2/THIRTEEN.DAT1"
"$QWPACK" create --format sm2mpx10 "$WORK/long.arc" "$WORK/in2" 2> "$WORK/err.txt" && fail "13-byte name accepted"
grep -q 'at most 12' "$WORK/err.txt" || fail "13-byte name message: $(cat "$WORK/err.txt")"
[ -e "$WORK/long.arc" ] || [ -e "$WORK/long.arc.tmp" ] && fail "refused archive left a file"
printf 'x' > "$WORK/in2/TWENTY_CHARACTERS.DA"
"$QWPACK" create --format mgcfile "$WORK/long.arc" "$WORK/in2" 2> "$WORK/err.txt" && fail "20-byte name accepted"
grep -q 'at most 19' "$WORK/err.txt" || fail "20-byte name message"
"$QWPACK" create --format fjsys "$WORK/long.arc" "$WORK/in2" || fail "fjsys refused a long name"

# Two names equal when case is ignored cannot both be found.
mkdir -p "$WORK/dup"; printf 'a' > "$WORK/dup/start.msd"
"$QWPACK" create --format fjsys "$WORK/dup.arc" "$WORK/in/START.MSD" "$WORK/dup" 2> "$WORK/err.txt" && fail "duplicate accepted"
grep -q 'duplicate' "$WORK/err.txt" || fail "duplicate message"

# Usage and data errors exit 1.
"$QWPACK" create --format zip "$WORK/x.arc" "$WORK/in" 2>/dev/null; [ $? -eq 1 ] || fail "unknown format"
"$QWPACK" create "$WORK/x.arc" "$WORK/in" 2>/dev/null; [ $? -eq 1 ] || fail "missing --format"
"$QWPACK" frobnicate 2>/dev/null; [ $? -eq 1 ] || fail "unknown command"
"$QWPACK" list "$WORK/in/START.MSD" 2> "$WORK/err.txt"; [ $? -eq 1 ] || fail "list of a non-archive"
grep -q 'unknown magic' "$WORK/err.txt" || fail "non-archive message"
"$QWPACK" create --format fjsys "$WORK/x.arc" "$WORK/nothere" 2>/dev/null; [ $? -eq 1 ] || fail "missing input"

# A damaged archive is refused, or listed, with what is wrong and where.
mkdir -p "$WORK/small"; printf 'abcd' > "$WORK/small/A.DAT"
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
damaged() { # format, offset, bytes, expected text, expected exit status
    "$QWPACK" create --format "$1" "$WORK/bad-$1.arc" "$WORK/small" || { fail "create $1"; return; }
    patch "$WORK/bad-$1.arc" "$2" "$3"
    "$QWPACK" list "$WORK/bad-$1.arc" > /dev/null 2> "$WORK/err.txt"; status=$?
    [ "$status" -eq "$5" ] || fail "damaged $1: exit $status"
    grep -qF "$4" "$WORK/err.txt" || fail "damaged $1: $(cat "$WORK/err.txt")"
}
# SM2MPX10: 255 entries claimed.
damaged sm2mpx10 8 '\377' '255 entries of 20 bytes at offset 32 run past the end of the file (56 bytes)' 1
# MGCFILE: entry 0 grows to a megabyte (size at 20 of the entry).
damaged mgcfile 52 '\000\000\020' 'entry 0: offset 64 + size 1048576 is past the end of the file (68 bytes)' 1
# FJSYS: a name block of a megabyte.
damaged fjsys 12 '\000\000\020' 'the name block (1048576 bytes at offset 100) runs past the end of the file' 1

if [ "$failures" -eq 0 ]; then echo "qwpack: all checks passed"; exit 0; fi
echo "qwpack: $failures check(s) failed"; exit 1
