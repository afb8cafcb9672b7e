#!/usr/bin/env bash
# The desktop program's metadata passes the tools that read it: the desktop
# entry desktop-file-validate, the AppStream metadata appstreamcli validate
# (licences as SPDX identifiers), the polkit policy xmllint; the policy lets
# pkexec start /usr/bin/tarnwick, and only after an administrator said yes.
#
#   metadata_test.sh DESKTOP_FILE METAINFO_FILE POLICY_FILE
set -euo pipefail
desktop=$1 metainfo=$2 policy=$3
failed=0
run() {  # run WHAT COMMAND...: the command passes, or its output is shown
  local out
  if out=$("${@:2}" 2>&1); then echo "ok: $1"; else
    echo "FAILED: $1"; echo "$out" | sed 's/^/  /'; failed=1; fi
}
run "desktop entry" desktop-file-validate "$desktop"
run "AppStream metadata" appstreamcli validate --no-net "$metainfo"
run "polkit policy is well-formed XML" xmllint --noout "$policy"
run "the metadata's licences" grep -q \
  '<project_license>GPL-2.0-or-later</project_license>' "$metainfo"
run "the policy names /usr/bin/tarnwick" grep -q \
  '<annotate key="org.freedesktop.policykit.exec.path">/usr/bin/tarnwick</annotate>' \
  "$policy"
for who in allow_any allow_inactive allow_active; do
  run "the policy asks an administrator ($who)" grep -q \
    "<$who>auth_admin</$who>" "$policy"
done
exit $failed
