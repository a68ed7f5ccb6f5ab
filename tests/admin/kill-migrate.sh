#!/usr/bin/env bash
# Kills horunea-cli's move from the Windows version at every write, sync,
# rename and unlink call it makes, one kill a run, into a new folder and
# into the Windows folder itself, and checks after each that the next start
# leaves either no new data or all of it: a whole shop whose lists open, or
# the Windows files as they were with nothing of ours beside them.
# Usage: kill-migrate.sh BUILD_DIR
source "$(dirname "$0")/kill-support.sh" "$1"
make_shop="$1/bin/make_windows_shop"
"$make_shop" "$work/windows" || fail "make_windows_shop"
sum_windows=$(cd "$work/windows" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
is_jet() { [ "$(head -c 19 "$1" | tail -c 15)" = "Standard Jet DB" ]; }

# A whole moved shop: both accounts listed, their rows there.
whole() {
    local data="$1" what="$2" list n
    list=$("$cli" --data-dir "$data" account list) || fail "$what: account list"
    [ "$(printf '%s\n' "$list" | awk -F'\t' '{ printf "%s %s ", $1, $3 }')" = "種類 名前 customer 営業一課 repair 本店 " ] ||
        fail "$what: accounts [$list]"
    n=$("$cli" --data-dir "$data" sql customer:営業一課 \
        "SELECT count(*) AS n FROM ユーザー" --password abc | tail -n 1) ||
        fail "$what: 営業一課 does not open"
    [ "$n" = 2 ] || fail "$what: 営業一課 has $n users"
}

calls="pwrite64 write fsync fdatasync rename renameat2 unlink unlinkat"
points=0
for target in new itself; do
    for call in $calls; do
        for n in 1 2 3 4 6 8 12 16 24 32 48 64 96 128 256 512 1024 2048; do
            rm -rf "$work/data" "$work/.data"* "$work/..data"*
            if [ "$target" = new ]; then
                data="$work/data"
                from="$work/windows"
            else
                cp -a "$work/windows" "$work/data"
                data="$work/data"
                from="$data"
            fi
            (strace -f -o /dev/null -e "trace=$call" -e "inject=$call:signal=SIGKILL:when=$n" \
                "$cli" --data-dir "$data" migrate "$from" >/dev/null 2>&1) 2>/dev/null
            status=$?
            what="$target, killed at $call #$n (exit $status)"
            if [ "$target" = new ]; then
                if [ -e "$data" ]; then whole "$data" "$what"; fi
                # The next move cleans up what a killed one left beside.
                if [ "$status" = 137 ] && [ ! -e "$data" ]; then
                    "$cli" --data-dir "$data" migrate "$from" >/dev/null 2>&1 ||
                        fail "$what: the next move failed"
                    whole "$data" "$what, moved again"
                fi
                left=$(cd "$work" && ls -A | grep -v -e '^windows$' -e '^data$' || true)
                [ -z "$left" ] || fail "$what: left beside: $left"
            else
                # The next start finishes a switch, or removes a copy.
                "$cli" --data-dir "$data" where >/dev/null 2>&1
                if is_jet "$data/main.mdb"; then
                    [ -z "$(ls -A "$data" | grep -e '^Windows版-' -e '^\.移行' -e '^\.\.移行')" ] ||
                        fail "$what: Windows files with ours beside: $(ls -A "$data")"
                    sum=$(cd "$data" && find . -type f ! -name horunea.lock -print0 | sort -z |
                        xargs -0 sha256sum)
                    [ "$sum" = "$sum_windows" ] || fail "$what: the Windows files changed"
                else
                    whole "$data" "$what"
                    aside=$(ls -d "$data"/Windows版-* 2>/dev/null | head -n 1)
                    [ -n "$aside" ] || fail "$what: no Windows版 folder"
                    sum=$(cd "$aside" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
                    [ "$sum" = "$sum_windows" ] || fail "$what: the Windows files set aside changed"
                    [ -z "$(ls -A "$data" | grep -e '^\.移行' -e '^\.\.移行')" ] ||
                        fail "$what: left in the data folder: $(ls -A "$data")"
                fi
            fi
            [ "$status" = 137 ] || break
            points=$((points + 1))
        done
    done
done
[ "$points" -gt 20 ] || fail "only $points kill points were reached"
echo "killed at $points points; a whole shop or none after every one"
