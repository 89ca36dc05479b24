#!/usr/bin/env bash
echo "The launcher is not built yet." >&2
exit 1
