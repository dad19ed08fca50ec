# Shared locations, sourced by the other scripts.
SF_CACHE=${SNAPFERRY_CACHE:-$HOME/.cache/snapferry}
SF_WINE_VERSION=$(wine --version 2>/dev/null | awk "{print \$1}" || echo unknown)
SF_WINEPREFIX=${SNAPFERRY_WINEPREFIX:-$SF_CACHE/wine/prefix-$SF_WINE_VERSION}
# China time and code page 936, as on the machines the product targets. TZ is in the POSIX
# form because the C run-time inside Wine reads it too, and knows no zone names.
SF_WINE_ENV=(WINEPREFIX="$SF_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8 TZ=CST-8)
