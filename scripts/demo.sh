#!/usr/bin/env bash
echo "make demo arrives with the HTTP transport (the snapferry command-line tool)." >&2
exit 1
