#!/usr/bin/env bash
# Kills horunea-cli's account add, rename and delete (and a compaction) at
# every write, sync, rename and unlink call it makes, one kill a run, and
# checks after each that the next start puts main.mdb and the account files
# in agreement: every listed account has its file and opens with its rows,
# no file is left without its row, and nothing half-done stays behind.
# Usage: kill-accounts.sh BUILD_DIR
source "$(dirname "$0")/kill-support.sh" "$1"

pristine="$work/pristine"
"$cli" --data-dir "$pristine" init >/dev/null || fail "init"
for name in 一課 二課; do
    "$cli" --data-dir "$pristine" account add customer "$name" >/dev/null || fail "add $name"
done
"$cli" --data-dir "$pristine" sql customer:一課 \
    "INSERT INTO ユーザー (表示ふりがな, 表示名) VALUES ('ｲﾁ', '一')" >/dev/null || fail "insert"
"$cli" --data-dir "$pristine" backup "$work/backup" >/dev/null 2>&1 || fail "backup"

# The accounts main.mdb lists must be exactly the files of kelvo/, each one
# opening, and the account that had a user still has it.
check() {
    local data="$1" what="$2"
    local list rows files name n
    list=$("$cli" --data-dir "$data" account list) || fail "$what: account list"
    rows=$(printf '%s\n' "$list" | awk -F'\t' '$1 == "customer" { print $3 }' | sort)
    files=$(cd "$data/kelvo" && ls -1 -- *.mdb 2>/dev/null | sed 's/\.mdb$//' | sort)
    [ "$rows" = "$files" ] || fail "$what: main.mdb lists [$rows] but kelvo holds [$files]"
    left=$(cd "$data/kelvo" && ls -A | grep '^\.' || true)
    [ -z "$left" ] || fail "$what: left behind in kelvo: $left"
    # The account with a user (under its old or new name) and the one the
    # operation made or removed, where listed, must open with their rows.
    for name in $rows; do
        case "$name" in
        一課 | 本店) want=1 ;;
        三課 | 二課) want=0 ;;
        *) continue ;;
        esac
        n=$("$cli" --data-dir "$data" sql "customer:$name" \
            "SELECT count(*) AS n FROM ユーザー" | tail -n 1) || fail "$what: $name does not open"
        [ "$n" = "$want" ] || fail "$what: $name has $n users"
    done
    [ ! -e "$data/.locks/account-operation" ] || fail "$what: the operation record stayed"
    left=$(cd "$data" && ls -A | grep -e '^\.復元中-' -e '^復元前-' || true)
    [ -z "$left" ] || fail "$what: left behind in the data folder: $left"
}

operations=(
    "account add customer 三課"
    "account rename customer 一課 本店 --old-password="
    "account delete customer 二課 --old-password= --yes"
    "compact customer 一課"
    "restore $work/backup"
    "backup $work/backup2"
)
calls="pwrite64 write fsync fdatasync rename renameat2 unlink unlinkat"
# The kill points of a call: every one, except for the many page writes and
# syncs of the copies a compaction, backup or restore makes (they stay
# private until renamed into place), where the points thin out as they go
# on; their renames and unlinks are all killed.
points_of() {
    local operation="$1" call="$2"
    case "$operation:$call" in
    compact*:rename* | compact*:unlink* | restore*:rename* | restore*:unlink* | backup*:rename* | backup*:unlink*)
        seq 1 400
        ;;
    compact* | restore* | backup*)
        echo 1 2 4 8 16 64 256 1024
        ;;
    *) seq 1 400 ;;
    esac
}
points=0
for operation in "${operations[@]}"; do
    read -r -a words <<<"$operation"
    # --old-password= is an empty password
    args=()
    for w in "${words[@]}"; do
        if [ "$w" = "--old-password=" ]; then args+=(--old-password ""); else args+=("$w"); fi
    done
    for call in $calls; do
        for n in $(points_of "$operation" "$call"); do
            data="$work/run"
            rm -rf "$data" "$work/backup2"
            cp -a "$pristine" "$data"
            strace -f -o /dev/null -e "trace=$call" -e "inject=$call:signal=SIGKILL:when=$n" \
                "$cli" --data-dir "$data" "${args[@]}" >/dev/null 2>&1
            status=$?
            check "$data" "$operation, killed at $call #$n (exit $status)"
            [ "$status" = 137 ] || break
            points=$((points + 1))
        done
    done
done
[ "$points" -gt 20 ] || fail "only $points kill points were reached"
echo "killed at $points points; main.mdb and the files agreed after every one"
