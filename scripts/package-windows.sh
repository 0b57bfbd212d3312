#!/usr/bin/env bash
# Builds out/telorad-VERSION-win64.zip: telorad.exe, telorad-cli.exe and telorad-server.exe from
# the cross build in build-windows/ (stripped, statically linked), README.txt and LICENSE.txt
# with CRLF line ends; then checks what the zip holds.
# Usage: scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh windows telorad telorad-cli telorad-server
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
[ -n "$version" ] || { echo "package-windows: no version" >&2; exit 1; }

stage=build-windows/package/telorad-$version-win64
rm -rf "$stage"
mkdir -p "$stage" out
programs="frontends/win32/telorad.exe frontends/cli/telorad-cli.exe server/telorad-server.exe"
for program in $programs; do
    x86_64-w64-mingw32-strip -o "$stage/$(basename "$program")" "build-windows/$program"
done
# Only DLLs that come with every Windows may be imported.
for program in "$stage"/*.exe; do
    unexpected=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\tDLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|comdlg32|shell32|ws2_32|advapi32|ole32|msvcrt)\.dll$' ||
        true)
    [ -z "$unexpected" ] || { echo "package-windows: $program imports $unexpected" >&2; exit 1; }
done

crlf() { sed 's/$/\r/' >"$1"; }
crlf "$stage/README.txt" <<TEXT
Telorad $version for 64-bit Windows

telorad.exe         the viewer. Remote > Connect (リモート > 接続) opens the connect dialog.
telorad-cli.exe     the headless client: telorad-cli snapshot HOST[:PORT] FILE.bmp,
                    telorad-cli command HOST[:PORT] TEXT. telorad-cli --help says more.
telorad-server.exe  a development server to try the clients on: it shows a moving picture
                    and logs what the clients send (keys, mouse, commands) without acting
                    on it. telorad-server --help says more.

Servers you connect to are remembered in remote.ini beside the programs, or in
%APPDATA%\\Telorad\\remote.ini when that folder cannot be written (Program Files).
Hosts and passwords are stored there as the bytes sent to the server, in its code page
(CP932 unless [Client] CodePage= says otherwise), so the file is shared with other
programs that read it with the Windows profile functions.

Nothing needs installing: every program carries its own runtime.
TEXT
crlf "$stage/LICENSE.txt" <packaging/copyright

zip=out/telorad-$version-win64.zip
rm -f "$zip"
(cd "$(dirname "$stage")" && zip -qr -X "$OLDPWD/$zip" "$(basename "$stage")")
# The zip holds the five files, and README.txt ends every line with CRLF.
top=$(basename "$stage")
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
expected="$top/ $top/LICENSE.txt $top/README.txt $top/telorad-cli.exe $top/telorad-server.exe $top/telorad.exe "
[ "$listed" = "$expected" ] || { echo "package-windows: the zip holds $listed" >&2; exit 1; }
if unzip -p "$zip" "$top/README.txt" | grep -qv "$(printf '\r')\$"; then
    echo "package-windows: README.txt has a line without CRLF" >&2
    exit 1
fi
echo "package-windows: $zip"
unzip -l "$zip"
