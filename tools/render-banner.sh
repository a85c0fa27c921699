#!/usr/bin/env bash
# Makes the banner's double-resolution picture for screens above 100 % from the banner
# itself, there being no larger source (needs imagemagick). The result is kept in the
# repository, so building needs neither.
set -euo pipefail
cd "$(dirname "$0")/../app"
convert banner.jpg -colorspace RGB -filter Lanczos -resize 200% -colorspace sRGB -unsharp 0x0.75+0.6+0 \
  -sampling-factor 4:4:4 -quality 95 banner@2x.jpg
