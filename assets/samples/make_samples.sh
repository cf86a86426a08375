#!/bin/sh
# Makes the four sample pictures of the color adjustment preview from
# photographs shipped in Debian packages (see assets/README.md):
#   apt-get download python3-skimage lomiri-wallpapers-16.04 \
#     plasma-workspace-wallpapers palapeli-data
#   for f in *.deb; do dpkg -x "$f" ROOT; done
#   sh assets/samples/make_samples.sh ROOT
# Each picture is cut to 4:5, scaled to 200 x 250 and stored as a plain
# 24-bit BMP (BMP3: BITMAPINFOHEADER, no metadata, no date).
set -eu
root=$1
out=$(cd "$(dirname "$0")" && pwd)
sample() {  # source crop file
  convert "$root/$1" -crop "$2" +repage -resize '200x250!' -strip -type TrueColor "BMP3:$out/$3"
}
sample usr/lib/python3/dist-packages/skimage/data/astronaut.png 400x500+15+0 QV3810A1.BMP
sample usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg 1958x2448+900+0 QV3810A2.BMP
sample usr/share/wallpapers/EveningGlow/contents/images/2560x1600.jpg 1280x1600+0+0 QV3810A3.BMP
sample usr/share/palapeli/collection/citrus-fruits.jpg 712x890+330+0 QV3810A4.BMP
