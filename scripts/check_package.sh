#!/usr/bin/env bash
# Installs the Debian package that scripts/build_package.sh made, validates its desktop files, replays a
# session with the installed program that computes a hydrograph with the SCS.DGF of share/brelvo, and
# removes the package again, checking that it leaves nothing behind. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
brelvo_headless_env
deb=$(ls "$PWD"/build/release/brelvo_*_amd64.deb | head -n 1)

for pkg in desktop-file-utils appstream; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$pkg" >/dev/null
done

echo "== Installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
installed=$(dpkg -L brelvo | sort)
desktop-file-validate /usr/share/applications/org.brelvo.Brelvo.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.brelvo.Brelvo.metainfo.xml
/usr/bin/brelvo --version
# Qt Charts, Qt Print Support and libwmf are loaded by the plugins on first use, never at start.
if ldd /usr/bin/brelvo | grep -E 'libQt6Charts|libQt6PrintSupport|libwmf'; then
  echo "the installed program links a library that only its plugins should load"; exit 1
fi
for plugin in libbrelvo_charts.so libbrelvo_print.so libbrelvo_wmf.so; do
  grep -q "/brelvo/$plugin\$" <<<"$installed" || { echo "the package lacks $plugin"; exit 1; }
done

echo "== Replaying the example session with the installed program"
work=$(mktemp -d)
export XDG_DATA_HOME="$work/data"
cp /usr/share/brelvo/example_session.txt /usr/share/brelvo/example_map.png "$work/"
out=$(cd "$work" && QT_QPA_PLATFORM=offscreen /usr/bin/brelvo --script example_session.txt)
report="$XDG_DATA_HOME/brelvo/Temp.GRF"
[ -f "$report" ] || { echo "no report written to $report"; exit 1; }
grep -q 'Qmax=' <<<"$out" || { echo "the session did not compute a hydrograph"; exit 1; }
[ ! -e /usr/bin/Temp.GRF ] || { echo "the installed program wrote into /usr/bin"; exit 1; }
echo "computed: $(grep -o 'Qmax=[^"]*' <<<"$out" | tail -n 1)"
# The same session run from the build folder writes the same report.
(cd build/release/bin && QT_QPA_PLATFORM=offscreen ./brelvo --script example_session.txt >/dev/null 2>&1)
cmp "$report" build/release/bin/Temp.GRF || { echo "the installed program's report differs"; exit 1; }
echo "report identical to the build folder's"
rm -rf "$work"

echo "== Removing the package"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq --purge brelvo >/dev/null
left=0
while IFS= read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
done <<<"$installed"
[ -d /usr/share/brelvo ] && { echo "left behind: /usr/share/brelvo"; left=1; }
[ $left -eq 0 ] && echo "package check: installed, ran, removed without leftovers"
exit $left
