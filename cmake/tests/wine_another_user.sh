#!/bin/sh
# A token the data protection API protected for one account is refused to another. Wine
# takes the user from USER when its server starts, so each step runs under a server of
# its own: written as this user, read back as this user, refused as another one. The
# persistent server the other tests share is started again at the end.
#   wine_another_user.sh <wine.sh> <prefix> <protected_token_store_test.exe>
set -eu
wine_sh=$1 prefix=$2 executable=$3
folder=$(mktemp -d)
trap 'rm -rf "$folder"; "$wine_sh" "$prefix" start' EXIT
file="Z:$(printf '%s' "$folder/velmora.ini" | tr / '\\')"
user=${USER:-$(id -un)}

step() {  # step <write|found|refused> <USER of the run>
    "$wine_sh" "$prefix" stop
    status=0
    env USER="$2" LOGNAME="$2" VELMORA_PROTECTED_FILE="$file" VELMORA_PROTECTED_EXPECT="$1" \
        "$wine_sh" "$prefix" "$executable" --gtest_filter=ProtectedTokenStore.ReadByAnotherRun \
        >"$folder/out" 2>&1 || status=$?
    if [ $status -ne 0 ] || ! grep -q '^\[       OK \]' "$folder/out"; then
        cat "$folder/out"
        echo "wine_another_user: the $1 step as $2 failed" >&2
        exit 1
    fi
}

step write "$user"
step found "$user"
step refused "$user-other"
echo "wine_another_user: written as $user, read back as $user, refused as $user-other"
