# What the kill tests share, sourced with the build folder as $1: the
# program's command line ($cli), a work folder removed at the end ($work),
# fail MESSAGE, and a skip (77) where strace cannot kill a call here.
set -u
cli="$1/bin/horunea-cli"
if ! command -v strace >/dev/null; then
    echo "SKIP: strace is not installed"
    exit 77
fi
if ! strace -o /dev/null true 2>/dev/null; then
    echo "SKIP: strace cannot trace here"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
