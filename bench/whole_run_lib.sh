# Shared by the whole-run benchmarks (sourced from the repository's root): the loopback servers,
# the program's folders and one press of its install button.
#   bench_start <cmake targets...>   builds, starts the servers and the prefix
#   publish_release <files> <bytes each> <base URL>
#   run_install                      prints whole_run_bench's figures (total, longest-stall, setup)
root=$PWD
work=$root/build/win/bench
servers=$work/install-servers
game=$work/game downloads=$work/downloads
export WINEPREFIX=$work/wineprefix
wine_run() { scripts/wine-run.sh "$@" 2>/dev/null | tr -d '\r'; }
now() { date +%s.%N; }

bench_start() {
  cmake --preset win >/dev/null
  cmake --build --preset win --target whole_run_bench Stormline_VN_bench setup_standin patcher_standin "$@" >/dev/null
  mkdir -p "$work"
  port=$(sed -n 's/^SL_BENCH_HTTP_PORT:STRING=//p' build/win/CMakeCache.txt)
  local own_version
  own_version=$(sed -n 's/^SL_OWN_VERSION_NUMBER:INTERNAL=//p' build/win/CMakeCache.txt)
  bash tests/servers/start.sh "$servers" "$port" "$((port + 1))" >/dev/null
  mkdir -p "$servers/www/launcher" && printf "$own_version" > "$servers/www/launcher/version.ini"  # no self-update offer
  scripts/wine-run.sh cmd /c exit 0
}

bench_stop() {
  bash tests/servers/stop.sh "$servers" || true
  wineserver -k 2>/dev/null || true
}

publish_release() {
  rm -rf "$servers/www/patch" "$servers/www/files" "$servers/www/autoreal"
  python3 tests/releases/release_tree.py "$servers/www" "$3" \
    --setup build/win/tests/standins/setup_standin.exe --patcher build/win/tests/standins/patcher_standin.exe \
    --full 120 --data-files "$1" --data-size "$2"
}

run_install() {
  rm -rf "$game" "$downloads" && mkdir -p "$game" "$downloads"
  # Through wine-run.sh: a Wine server started without the display would leave the program no desktop.
  wine_run reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v SLLocation /d "Z:${game//\//\\}" /f >/dev/null
  wine_run reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v TempDownloadPath /d "Z:${downloads//\//\\}" /f \
    >/dev/null
  sync
  scripts/wine-run.sh build/win/bench/whole_run_bench.exe build/win/bench/app/Stormline_VN.exe | tr -d '\r'
}
