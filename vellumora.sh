#!/usr/bin/env bash
# Vellumora: set-up, build, run and test on Debian 12.
#   ./vellumora.sh run    install what is missing, build the program alone and start it
#   ./vellumora.sh test   install what is missing, build everything and run every test
#   ./vellumora.sh help   the other commands (end-to-end tests, benchmarks, sanitizers, fuzzing)
# run and test share the folder build/ with the same options: what one compiled, the other reuses.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
JOBS=$(nproc 2>/dev/null || echo 2)

# Qt's own dialogs and buttons speak Russian with qt6-translations-l10n.
PACKAGES=(build-essential cmake ninja-build pkg-config git
          qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
          libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
          xvfb xauth xdotool imagemagick x11-utils fonts-dejavu-core fonts-liberation
          unzip zip python3)
# The tests open what the program writes with programs no one here wrote: spreadsheets with LibreOffice
# Calc (no display needed), printouts with poppler's pdftotext.
TEST_PACKAGES=(libreoffice-calc-nogui poppler-utils)

install_missing() {
    local missing=() p
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Устанавливаю: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build <build folder> [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j "$JOBS"
}

# The build of the README's commands; build_main [targets...] builds only those, or everything.
BUILD=$ROOT/build
build_main() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUMORA_WERROR=ON
    if [ $# -eq 0 ]; then
        cmake --build "$BUILD" -j "$JOBS"
    else
        cmake --build "$BUILD" -j "$JOBS" --target "$@"
    fi
}

# A display to show the program on: the desktop's own, or a virtual one started here.
XVFB_PID=
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 1
    fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1366x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "Не удалось запустить виртуальный экран Xvfb" >&2
    exit 1
}

cmd_run() {
    install_missing
    build_main vellumora
    local program="$BUILD/bin/vellumora"
    if ! ensure_display; then
        exec "$program"
    fi
    trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT
    "$program" &
    local pid=$! shot="$BUILD/screenshots/first-window.png"
    mkdir -p "$(dirname "$shot")"
    local found=
    for _ in $(seq 150); do
        if xdotool search --onlyvisible --name '.' >/dev/null 2>&1; then found=1; break; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    sleep 1
    import -window root "$shot"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$found" ] || echo "Окно программы не появилось" >&2
    echo "Снимок первого окна: $shot"
}

cmd_test() {
    install_missing "${TEST_PACKAGES[@]}"
    build_main
    cd "$BUILD"
    ctest --output-on-failure -j "$JOBS" --timeout 1200
}

# The end-to-end tests alone (ctest names them e2e_*), built with the program they start.
cmd_e2e() {
    install_missing "${TEST_PACKAGES[@]}"
    build_main vellumora
    local tests=()
    mapfile -t tests < <(cd "$BUILD" && ctest -N -R '^e2e_' | sed -n 's/^ *Test *#[0-9]*: *//p')
    [ ${#tests[@]} -gt 0 ] || { echo "Тесты e2e_* не найдены" >&2; exit 1; }
    cmake --build "$BUILD" -j "$JOBS" --target "${tests[@]}"
    cd "$BUILD"
    ctest --output-on-failure -R '^e2e_' --timeout 1200
}

cmd_sanitize() {
    install_missing "${TEST_PACKAGES[@]}"
    configure_and_build "$ROOT/build-asan" -DVELLUMORA_SANITIZE=ON -DVELLUMORA_BENCH=OFF
    cd "$ROOT/build-asan"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --output-on-failure -j "$JOBS" --timeout 2400
}

cmd_bench() {
    install_missing
    configure_and_build "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DVELLUMORA_TESTS=OFF
    local b
    for b in "$ROOT"/build-bench/bench/vm_bench_*; do
        [ -f "$b" ] && [ -x "$b" ] || continue
        echo "== $(basename "$b")"
        "$b" "$@"
    done
    # The open as the family sees it, on the real program: the big base and the million-record one
    # (left out when arguments choose benchmarks).
    [ $# -eq 0 ] || return 0
    local scale
    for scale in 1 10; do
        echo "== open_e2e.py --scale $scale"
        python3 "$ROOT/bench/open_e2e.py" --program "$ROOT/build-bench/bin/vellumora" \
            --genbase "$ROOT/build-bench/tools/genbase/vm_genbase" --scale "$scale"
    done
}

# Every C++ file in the checked-in style: "format" rewrites them, "format --check" only tells.
cmd_format() {
    install_missing clang-format
    local files=()
    mapfile -d '' -t files < <(find src tests bench fuzz tools \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
    if [ "${1:-}" = "--check" ]; then
        clang-format --dry-run -Werror "${files[@]}"
        echo "Оформление кода: ${#files[@]} файлов в порядке"
    else
        clang-format -i "${files[@]}"
    fi
}

cmd_fuzz() {
    install_missing clang libclang-rt-14-dev
    local seconds=${1:-60}
    CC=clang CXX=clang++ configure_and_build "$ROOT/build-fuzz" -DVELLUMORA_FUZZ=ON -DVELLUMORA_TESTS=OFF \
        -DVELLUMORA_BENCH=OFF
    local f
    for f in "$ROOT"/build-fuzz/fuzz/fuzz_*; do
        [ -f "$f" ] && [ -x "$f" ] || continue
        local corpus="$ROOT/build-fuzz/corpus/$(basename "$f")"
        mkdir -p "$corpus"
        echo "== $(basename "$f") for ${seconds}s"
        "$f" -max_total_time="$seconds" -rss_limit_mb=4096 "$corpus"
    done
}

case "${1:-help}" in
    run) shift; cmd_run "$@" ;;
    test) shift; cmd_test "$@" ;;
    e2e) shift; cmd_e2e "$@" ;;
    sanitize) shift; cmd_sanitize "$@" ;;
    bench) shift; cmd_bench "$@" ;;
    fuzz) shift; cmd_fuzz "$@" ;;
    format) shift; cmd_format "$@" ;;
    *)
        cat <<'HELP'
./vellumora.sh run        install what is missing, build the program alone and start it
./vellumora.sh test       install what is missing, build everything and run every test
./vellumora.sh e2e        the end-to-end tests alone (the real program on a virtual display)
./vellumora.sh sanitize   the tests under AddressSanitizer and UBSan
./vellumora.sh bench      the benchmarks, then the open of the real program timed end to end
                          (arguments go to Google Benchmark and leave the end-to-end timing out)
./vellumora.sh fuzz [s]   every fuzz target for s seconds (60 by default)
./vellumora.sh format     apply the checked-in code style (--check: only tell what differs)
HELP
        ;;
esac
