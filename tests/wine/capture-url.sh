#!/bin/sh
# Stands in for the browser in tests: Wine's winebrowser hands it the address,
# which it appends to a file of the Wine prefix instead of opening anything.
printf '%s\n' "$*" >>"${WINEPREFIX:-$HOME/.wine}/zephal-urls.log"
