#!/usr/bin/env bash
# Under a dark desktop theme the window must read as under a light one: its grounds are fixed
# light colours, so every text on them must stay dark. Each text region of a capture of the
# window must hold dark text pixels on a mostly light ground.
# Usage (inside xvfb-run): dark_theme.sh PROGRAM [EMULATOR]
PROGRAM=$(realpath "$1")
EMULATOR=${2:-}
source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/window_actions.sh"

SKIPPED=77
if ! ls /usr/lib/*/qt6/plugins/platformthemes/libqgtk3.so >/dev/null 2>&1; then
  echo "SKIP: Qt's GTK platform theme (qt6-gtk-platformtheme) is not installed"
  exit "$SKIPPED"
fi
export QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark

# Regions in the capture with the window manager's frame, as scripts/screenshot.sh takes it:
# WIDTHxHEIGHT+X+Y and what the region shows.
REGIONS=(
  "138x16+8+21 menu titles"      "43x16+38+124 Shape label"     "36x16+210+124 Hertz label"
  "31x15+40+150 shape list"      "29x15+207+149 frequency field" "25x16+36+249 Amplitude readout"
  "25x16+36+289 Length readout"  "62x16+262+249 Amplitude label" "45x16+268+289 Length label"
  "110x16+116+346 render button" "62x16+4+400 status rate"      "41x16+120+400 status channels"
  "45x16+236+400 status bits"
)

# Darkest, lightest and mean grey of a region, 0 to 255.
greys() {
  convert "$1" -crop "$2" +repage -colorspace Gray \
    -format '%[fx:int(minima.r*255)] %[fx:int(maxima.r*255)] %[fx:int(mean.r*255)]' info:
}

start_main_window
shot="$WORK/dark.png"
previous=""
for attempt in $(seq 40); do  # start-up goes on after the window is shown
  sleep 0.5
  import -silent -frame -window "$WINDOW" -strip "png:$shot"
  current=$(md5sum < "$shot")
  [ "$current" = "$previous" ] && break
  previous=$current
done

for region in "${REGIONS[@]}"; do
  read -r geometry what <<< "$region"
  read -r darkest lightest mean <<< "$(greys "$shot" "$geometry")"
  [ "$darkest" -lt 90 ] && [ "$lightest" -gt 180 ] && [ "$mean" -gt 150 ] ||
    fail "$what ($geometry) has no dark text on a light ground: greys $darkest to $lightest, mean $mean"
  echo "   $what: text $darkest on ground up to $lightest"
done

press_until_ended "$WINDOW" alt+F4
expect_exit_code 0
echo "PASS"
